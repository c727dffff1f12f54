#include "imaging/lib/procedural/raster.h"

#include <algorithm>
#include <cmath>

namespace dro::procedural {
namespace {

struct Ramp {
    std::array<Colour, 4> stops;
};

// Four stops each, spread evenly over 0..1.
constexpr std::array<Ramp, 12> kRamps{{
    {{{{20, 0, 0}, {180, 30, 0}, {255, 160, 20}, {255, 250, 200}}}},      // fire
    {{{{0, 10, 40}, {20, 90, 170}, {140, 210, 250}, {245, 250, 255}}}},   // ice
    {{{{40, 25, 10}, {110, 75, 40}, {170, 135, 90}, {225, 205, 170}}}},   // earth
    {{{{5, 30, 10}, {30, 90, 30}, {100, 150, 50}, {200, 220, 120}}}},     // forest
    {{{{30, 10, 60}, {170, 40, 90}, {250, 120, 50}, {255, 220, 120}}}},   // sunset
    {{{{0, 20, 50}, {0, 80, 120}, {30, 160, 170}, {190, 240, 230}}}},     // ocean
    {{{{230, 30, 30}, {240, 220, 30}, {30, 200, 90}, {60, 60, 230}}}},    // rainbow
    {{{{30, 32, 36}, {110, 115, 125}, {200, 205, 215}, {250, 250, 255}}}},// metal
    {{{{250, 150, 200}, {180, 130, 250}, {120, 220, 250}, {250, 250, 160}}}}, // candy
    {{{{10, 0, 0}, {120, 10, 0}, {230, 80, 0}, {255, 220, 60}}}},         // lava
    {{{{30, 40, 20}, {70, 100, 40}, {120, 140, 70}, {180, 190, 130}}}},   // moss
    {{{{10, 10, 30}, {60, 40, 90}, {150, 90, 130}, {240, 170, 150}}}},    // dusk
}};

uint8_t mix(uint8_t a, uint8_t b, float t) noexcept {
    return static_cast<uint8_t>(static_cast<float>(a) + (static_cast<float>(b) - a) * t + 0.5f);
}

Colour mix(Colour a, Colour b, float t) noexcept { return {mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t)}; }

Colour hue(float h) noexcept {
    const float r = std::clamp(std::fabs(h * 6.0f - 3.0f) - 1.0f, 0.0f, 1.0f);
    const float g = std::clamp(2.0f - std::fabs(h * 6.0f - 2.0f), 0.0f, 1.0f);
    const float b = std::clamp(2.0f - std::fabs(h * 6.0f - 4.0f), 0.0f, 1.0f);
    return {static_cast<uint8_t>(r * 255.0f), static_cast<uint8_t>(g * 255.0f), static_cast<uint8_t>(b * 255.0f)};
}

Ramp rampOf(int32_t style, uint64_t seed) noexcept {
    if (style >= 0 && style < static_cast<int32_t>(kRamps.size())) return kRamps[static_cast<size_t>(style)];
    switch (style) {
        case 13: return {{{{255, 255, 255}, {170, 170, 170}, {85, 85, 85}, {0, 0, 0}}}};
        case 14: {
            Random r(seed ^ 0x5eedu);
            Ramp out;
            for (Colour& c : out.stops) c = mix(Colour{0, 0, 0}, hue(r.unit()), r.range(0.3f, 1.0f));
            return out;
        }
        case 15: return {{{{0, 0, 0}, {0, 0, 0}, {255, 255, 255}, {255, 255, 255}}}};
        case 16: return {{{{30, 20, 10}, {110, 80, 50}, {190, 160, 120}, {245, 230, 200}}}};
        case 17: return {{{{10, 0, 30}, {255, 0, 200}, {0, 255, 230}, {240, 255, 60}}}};
        default: return {{{{0, 0, 0}, {85, 85, 85}, {170, 170, 170}, {255, 255, 255}}}};
    }
}

// Coverage of a pixel whose centre lies at signed distance d from an edge (negative inside).
float coverageAt(float d) noexcept { return std::clamp(0.5f - d, 0.0f, 1.0f); }

}  // namespace

Palette::Palette(int32_t style, uint64_t seed) noexcept {
    const Ramp ramp = rampOf(style, seed);
    for (size_t i = 0; i < ramp_.size(); ++i) {
        const float t = static_cast<float>(i) / 255.0f * 3.0f;
        const size_t k = std::min<size_t>(static_cast<size_t>(t), 2);
        ramp_[i] = mix(ramp.stops[k], ramp.stops[k + 1], t - static_cast<float>(k));
    }
}

Colour Palette::at(float t) const noexcept {
    if (!(t > 0.0f)) return ramp_[0];  // also NaN
    if (t >= 1.0f) return ramp_[255];
    return ramp_[static_cast<size_t>(t * 255.0f + 0.5f)];
}

void Raster::fill(Colour c) noexcept {
    for (int32_t y = 0; y < h_; ++y)
        for (int32_t x = 0; x < w_; ++x) set(x, y, c);
}

void Raster::set(int32_t x, int32_t y, Colour c) noexcept {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    uint8_t* p = px_ + (static_cast<size_t>(y) * static_cast<size_t>(w_) + static_cast<size_t>(x)) * 4;
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
    p[3] = 255;
}

void Raster::blend(int32_t x, int32_t y, Colour c, float coverage) noexcept {
    if (x < 0 || y < 0 || x >= w_ || y >= h_ || !(coverage > 0.0f)) return;
    uint8_t* p = px_ + (static_cast<size_t>(y) * static_cast<size_t>(w_) + static_cast<size_t>(x)) * 4;
    const float t = std::min(coverage, 1.0f);
    p[0] = mix(p[0], c.b, t);
    p[1] = mix(p[1], c.g, t);
    p[2] = mix(p[2], c.r, t);
    p[3] = 255;
}

namespace {

// Visits the pixels of the box around (x0, y0)-(x1, y1) grown by pad, clipped to the image.
template <class Visit>
void forBox(const Raster& r, float x0, float y0, float x1, float y1, float pad, Visit&& visit) {
    const float lx = std::max(std::min(x0, x1) - pad, 0.0f), hx = std::min(std::max(x0, x1) + pad, r.width() - 1.0f);
    const float ly = std::max(std::min(y0, y1) - pad, 0.0f), hy = std::min(std::max(y0, y1) + pad, r.height() - 1.0f);
    if (!(lx <= hx) || !(ly <= hy)) return;
    for (int32_t y = static_cast<int32_t>(ly); y <= static_cast<int32_t>(hy); ++y)
        for (int32_t x = static_cast<int32_t>(lx); x <= static_cast<int32_t>(hx); ++x) visit(x, y);
}

}  // namespace

void Raster::disc(float cx, float cy, float radius, Colour c) noexcept {
    forBox(*this, cx, cy, cx, cy, radius + 1.0f, [&](int32_t x, int32_t y) {
        const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy) - radius;
        blend(x, y, c, coverageAt(d));
    });
}

void Raster::ring(float cx, float cy, float radius, float lineWidth, Colour c) noexcept {
    const float half = lineWidth * 0.5f;
    forBox(*this, cx, cy, cx, cy, radius + half + 1.0f, [&](int32_t x, int32_t y) {
        const float d = std::fabs(std::hypot(x + 0.5f - cx, y + 0.5f - cy) - radius) - half;
        blend(x, y, c, coverageAt(d));
    });
}

void Raster::segment(float x0, float y0, float x1, float y1, float radius, Colour c) noexcept {
    const float dx = x1 - x0, dy = y1 - y0;
    const float length2 = dx * dx + dy * dy;
    forBox(*this, x0, y0, x1, y1, radius + 1.0f, [&](int32_t x, int32_t y) {
        const float px = x + 0.5f - x0, py = y + 0.5f - y0;
        const float t = length2 > 0.0f ? std::clamp((px * dx + py * dy) / length2, 0.0f, 1.0f) : 0.0f;
        const float d = std::hypot(px - t * dx, py - t * dy) - radius;
        blend(x, y, c, coverageAt(d));
    });
}

void Raster::rect(float x0, float y0, float x1, float y1, Colour c) noexcept {
    const float lx = std::min(x0, x1), hx = std::max(x0, x1), ly = std::min(y0, y1), hy = std::max(y0, y1);
    forBox(*this, lx, ly, hx, hy, 1.0f, [&](int32_t x, int32_t y) {
        const float cx = x + 0.5f, cy = y + 0.5f;
        const float d = std::max(std::max(lx - cx, cx - hx), std::max(ly - cy, cy - hy));
        blend(x, y, c, coverageAt(d));
    });
}

void Raster::rectOutline(float x0, float y0, float x1, float y1, float lineWidth, Colour c) noexcept {
    const float lx = std::min(x0, x1), hx = std::max(x0, x1), ly = std::min(y0, y1), hy = std::max(y0, y1);
    const float half = lineWidth * 0.5f;
    forBox(*this, lx, ly, hx, hy, half + 1.0f, [&](int32_t x, int32_t y) {
        const float cx = x + 0.5f, cy = y + 0.5f;
        const float outside = std::max(std::max(lx - cx, cx - hx), std::max(ly - cy, cy - hy));
        blend(x, y, c, coverageAt(std::fabs(outside) - half));
    });
}

}  // namespace dro::procedural
