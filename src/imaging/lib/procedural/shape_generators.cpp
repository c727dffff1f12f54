// Generators that draw shapes over a background: the background is the palette's
// first colour, so every pixel is written before the first shape.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "imaging/lib/procedural/generators.h"
#include "imaging/lib/procedural/raster.h"

namespace dro::procedural {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;

struct Canvas {
    Raster raster;
    Random random;
    Palette palette;
    float w, h;

    Canvas(uint8_t* image, int32_t width, int32_t height, const EffectValues& v)
        : raster(image, width, height),
          random(static_cast<uint64_t>(v[kSeedValue])),
          palette(v[kStyleValue], static_cast<uint64_t>(v[kSeedValue])),
          w(static_cast<float>(width)),
          h(static_cast<float>(height)) {
        raster.fill(palette.at(0.0f));
    }
    // Shape colours keep clear of the background's end of the ramp.
    Colour shapeColour() noexcept { return palette.at(random.range(0.25f, 1.0f)); }
    float x() noexcept { return random.range(0.0f, w); }
    float y() noexcept { return random.range(0.0f, h); }
};

float minSide(const Canvas& c) noexcept { return std::min(c.w, c.h); }

}  // namespace

bool generateLines(uint8_t* image, int32_t width, int32_t height, const EffectValues& v) {
    Canvas c(image, width, height, v);
    const float radius = static_cast<float>(v[3]) * 0.5f;
    for (int32_t i = 0; i < v[2]; ++i) {
        const float x0 = c.x(), y0 = c.y(), x1 = c.x(), y1 = c.y();
        c.raster.segment(x0, y0, x1, y1, radius, c.shapeColour());
    }
    return true;
}

bool generateCircles(uint8_t* image, int32_t width, int32_t height, const EffectValues& v) {
    Canvas c(image, width, height, v);
    const float largest = minSide(c) * static_cast<float>(v[3]) * 0.01f;
    for (int32_t i = 0; i < v[2]; ++i) {
        const float cx = c.x(), cy = c.y(), r = c.random.range(0.2f, 1.0f) * largest;
        if (v[4] > 0) c.raster.ring(cx, cy, r, static_cast<float>(v[4]), c.shapeColour());
        else c.raster.disc(cx, cy, r, c.shapeColour());
    }
    return true;
}

bool generateRectangles(uint8_t* image, int32_t width, int32_t height, const EffectValues& v) {
    Canvas c(image, width, height, v);
    const float scale = static_cast<float>(v[3]) * 0.01f;
    for (int32_t i = 0; i < v[2]; ++i) {
        const float x0 = c.x(), y0 = c.y();
        const float x1 = x0 + c.random.range(0.2f, 1.0f) * c.w * scale;
        const float y1 = y0 + c.random.range(0.2f, 1.0f) * c.h * scale;
        if (v[4] > 0) c.raster.rectOutline(x0, y0, x1, y1, static_cast<float>(v[4]), c.shapeColour());
        else c.raster.rect(x0, y0, x1, y1, c.shapeColour());
    }
    return true;
}

bool generateSplines(uint8_t* image, int32_t width, int32_t height, const EffectValues& v) {
    Canvas c(image, width, height, v);
    const float radius = static_cast<float>(v[3]) * 0.5f;
    std::vector<float> px, py;
    for (int32_t i = 0; i < v[2]; ++i) {
        const Colour colour = c.shapeColour();
        px.clear();
        py.clear();
        for (int32_t k = 0; k < v[4]; ++k) {
            px.push_back(c.x());
            py.push_back(c.y());
        }
        // Catmull-Rom through the points; the ends repeat so the curve reaches them.
        const auto at = [&](const std::vector<float>& p, int32_t k) {
            return p[static_cast<size_t>(std::clamp(k, 0, static_cast<int32_t>(p.size()) - 1))];
        };
        for (int32_t k = 0; k + 1 < v[4]; ++k) {
            const float length = std::hypot(at(px, k + 1) - at(px, k), at(py, k + 1) - at(py, k));
            const int32_t steps = std::clamp(static_cast<int32_t>(length / std::max(radius, 1.0f)), 4, 512);
            float lastX = at(px, k), lastY = at(py, k);
            for (int32_t s = 1; s <= steps; ++s) {
                const float t = static_cast<float>(s) / static_cast<float>(steps);
                const auto spline = [&](const std::vector<float>& p) {
                    const float p0 = at(p, k - 1), p1 = at(p, k), p2 = at(p, k + 1), p3 = at(p, k + 2);
                    return 0.5f * (2 * p1 + (-p0 + p2) * t + (2 * p0 - 5 * p1 + 4 * p2 - p3) * t * t +
                                   (-p0 + 3 * p1 - 3 * p2 + p3) * t * t * t);
                };
                const float nx = spline(px), ny = spline(py);
                c.raster.segment(lastX, lastY, nx, ny, radius, colour);
                lastX = nx;
                lastY = ny;
            }
        }
    }
    return true;
}

bool generatePoints(uint8_t* image, int32_t width, int32_t height, const EffectValues& v) {
    Canvas c(image, width, height, v);
    for (int32_t i = 0; i < v[2]; ++i) {
        const float cx = c.x(), cy = c.y();
        c.raster.disc(cx, cy, c.random.range(0.5f, 1.0f) * static_cast<float>(v[3]), c.shapeColour());
    }
    return true;
}

bool generateWorms(uint8_t* image, int32_t width, int32_t height, const EffectValues& v) {
    Canvas c(image, width, height, v);
    const float radius = static_cast<float>(v[4]) * 0.5f;
    const float step = std::max(1.0f, radius);
    const float curl = static_cast<float>(v[5]) * kPi / 180.0f;
    for (int32_t i = 0; i < v[2]; ++i) {
        const Colour colour = c.shapeColour();
        float x = c.x(), y = c.y(), heading = c.random.range(0.0f, 2.0f * kPi), turn = 0.0f;
        for (int32_t s = 0; s < v[3]; s += static_cast<int32_t>(step)) {
            // The turn itself wanders, so worms bend smoothly instead of jittering.
            turn = std::clamp(turn + c.random.range(-0.5f, 0.5f) * curl, -curl, curl);
            heading += turn * 0.25f;
            const float nx = x + std::cos(heading) * step, ny = y + std::sin(heading) * step;
            c.raster.segment(x, y, nx, ny, radius, colour);
            // Wrap so a worm that leaves one side carries on from the other.
            x = std::fmod(nx + c.w, c.w);
            y = std::fmod(ny + c.h, c.h);
        }
    }
    return true;
}

namespace {

struct Branch {
    float x, y, heading, length, width;
    int32_t depth;
};

}  // namespace

bool generateTrees(uint8_t* image, int32_t width, int32_t height, const EffectValues& v) {
    Canvas c(image, width, height, v);
    const float spread = static_cast<float>(v[4]) * kPi / 180.0f;
    std::vector<Branch> open;
    for (int32_t t = 0; t < v[2]; ++t) {
        const Colour trunk = c.palette.at(c.random.range(0.6f, 1.0f));
        const float trunkLength = c.h * static_cast<float>(v[5]) * 0.01f * c.random.range(0.7f, 1.0f);
        open.push_back({c.x(), c.h, -kPi * 0.5f, trunkLength, std::max(1.0f, trunkLength * 0.08f), v[3]});
        // Depth-first with an explicit stack: depth is bounded, so is the stack.
        while (!open.empty()) {
            const Branch b = open.back();
            open.pop_back();
            const float ex = b.x + std::cos(b.heading) * b.length, ey = b.y + std::sin(b.heading) * b.length;
            c.raster.segment(b.x, b.y, ex, ey, b.width * 0.5f, trunk);
            if (b.depth <= 1) continue;
            for (float side : {-1.0f, 1.0f}) {
                const float heading = b.heading + side * spread * c.random.range(0.5f, 1.0f);
                open.push_back({ex, ey, heading, b.length * c.random.range(0.6f, 0.8f), std::max(0.7f, b.width * 0.7f),
                                b.depth - 1});
            }
        }
    }
    return true;
}

bool generateFibers(uint8_t* image, int32_t width, int32_t height, const EffectValues& v) {
    Canvas c(image, width, height, v);
    const float angle = static_cast<float>(v[4]) * kPi / 180.0f;
    const float jitter = static_cast<float>(v[5]) * kPi / 180.0f;
    const float radius = static_cast<float>(v[6]) * 0.5f;
    for (int32_t i = 0; i < v[2]; ++i) {
        const float heading = angle + c.random.range(-0.5f, 0.5f) * jitter;
        const float length = static_cast<float>(v[3]) * c.random.range(0.5f, 1.0f);
        const float x = c.x(), y = c.y();
        // Faint strands: fibres build up where they cross.
        const Colour colour = c.palette.at(c.random.range(0.3f, 1.0f));
        const float dx = std::cos(heading) * length * 0.5f, dy = -std::sin(heading) * length * 0.5f;
        c.raster.segment(x - dx, y - dy, x + dx, y + dy, radius, colour);
    }
    return true;
}

}  // namespace dro::procedural
