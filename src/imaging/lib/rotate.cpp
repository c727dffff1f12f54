#include "imaging/lib/rotate.h"

#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace dro {
namespace {

// Sine and cosine with the quarter turns exact, so those rotations copy pixels.
void turnOf(int32_t degrees, double& sine, double& cosine) noexcept {
    const int32_t a = ((degrees % 360) + 360) % 360;
    switch (a) {
        case 0: sine = 0; cosine = 1; return;
        case 90: sine = 1; cosine = 0; return;
        case 180: sine = 0; cosine = -1; return;
        case 270: sine = -1; cosine = 0; return;
        default: {
            const double radians = a * (3.14159265358979323846 / 180.0);
            sine = std::sin(radians);
            cosine = std::cos(radians);
        }
    }
}

// Positions within this of a pixel centre count as on it, so exact maps stay exact.
inline double snapped(double v) noexcept {
    const double r = std::nearbyint(v);
    return std::fabs(v - r) < 1e-7 ? r : v;
}

}  // namespace

bool rotateRgba32(uint8_t* image, int32_t width, int32_t height, int32_t degrees, int32_t scalePercent) noexcept {
    if (!image || width <= 0 || height <= 0 || scalePercent <= 0) return false;
    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    std::vector<uint8_t> source;
    try {
        source.assign(image, image + bytes);
    } catch (const std::bad_alloc&) {
        return false;
    }
    double sine = 0, cosine = 1;
    turnOf(degrees, sine, cosine);
    const double inverseScale = 100.0 / scalePercent;
    const double cx = width * 0.5;
    const double cy = height * 0.5;
    const int64_t stride = int64_t{width} * 4;

    auto texel = [&](int64_t x, int64_t y) -> const uint8_t* {
        if (x < 0 || y < 0 || x >= width || y >= height) return nullptr;
        return source.data() + y * stride + x * 4;
    };

    for (int32_t y = 0; y < height; ++y) {
        uint8_t* out = image + y * stride;
        const double dy = y + 0.5 - cy;
        for (int32_t x = 0; x < width; ++x, out += 4) {
            const double dx = x + 0.5 - cx;
            // The source point that lands here: the inverse turn of this offset.
            const double sx = snapped((dx * cosine - dy * sine) * inverseScale + cx - 0.5);
            const double sy = snapped((dx * sine + dy * cosine) * inverseScale + cy - 0.5);
            const double fx0 = std::floor(sx);
            const double fy0 = std::floor(sy);
            if (fx0 < -2.0 || fy0 < -2.0 || fx0 > width + 1.0 || fy0 > height + 1.0) {
                std::memset(out, 0, 4);
                continue;
            }
            const auto x0 = static_cast<int64_t>(fx0);
            const auto y0 = static_cast<int64_t>(fy0);
            const double fx = sx - fx0;
            const double fy = sy - fy0;
            const double weight[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
            const uint8_t* tap[4] = {texel(x0, y0), texel(x0 + 1, y0), texel(x0, y0 + 1), texel(x0 + 1, y0 + 1)};
            if (fx == 0.0 && fy == 0.0) {
                // On a pixel centre: copy it whole, colour under zero alpha included.
                if (tap[0]) std::memcpy(out, tap[0], 4); else std::memset(out, 0, 4);
                continue;
            }
            double alpha = 0, red = 0, green = 0, blue = 0;
            for (int k = 0; k < 4; ++k) {
                if (!tap[k] || weight[k] == 0.0) continue;
                const double wa = weight[k] * tap[k][3];
                alpha += wa;
                red += wa * tap[k][0];
                green += wa * tap[k][1];
                blue += wa * tap[k][2];
            }
            if (alpha <= 0.0) {
                std::memset(out, 0, 4);
                continue;
            }
            const auto channel = [](double v) {
                return static_cast<uint8_t>(v >= 255.0 ? 255 : (v <= 0.0 ? 0 : static_cast<int>(v + 0.5)));
            };
            out[0] = channel(red / alpha);
            out[1] = channel(green / alpha);
            out[2] = channel(blue / alpha);
            out[3] = channel(alpha);
        }
    }
    return true;
}

}  // namespace dro
