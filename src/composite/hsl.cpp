#include "composite/hsl.h"

#include <algorithm>

namespace dro {

Hsl RgbToHsl(float r, float g, float b) noexcept {
    const float max = std::max(std::max(r, g), b);
    const float min = std::min(std::min(r, g), b);
    const float l = (max + min) / 2.0f;
    const float delta = max - min;
    if (delta == 0.0f) return {0.0f, 0.0f, l};

    const float s = l < 0.5f ? delta / (max + min) : delta / (2.0f - max - min);

    // Distance of each channel from the maximum, in sixths of a turn.
    const auto fromMax = [&](float c) { return ((max - c) * 0.16666667f + delta / 2.0f) / delta; };
    const float dr = fromMax(r);
    const float dg = fromMax(g);
    const float db = fromMax(b);

    float h;
    if (r == max) {
        h = db - dg;
    } else if (g == max) {
        h = 1.0f / 3.0f + dr - db;
    } else {
        h = 2.0f / 3.0f + dg - dr;
    }
    if (h < 0.0f) h += 1.0f;
    if (h > 1.0f) h -= 1.0f;
    return {h * 360.0f, s, l};
}

float HueToChannel(float m1, float m2, float h) noexcept {
    if (h > 360.0f) {
        h -= 360.0f;
    } else if (h < 0.0f) {
        h += 360.0f;
    }
    if (h < 60.0f) return m1 + (m2 - m1) * h / 60.0f;
    if (h < 180.0f) return m2;
    if (h < 240.0f) return m1 + (m2 - m1) * (240.0f - h) / 60.0f;
    return m1;
}

RgbF HslToRgb(float h, float s, float l) noexcept {
    if (s == 0.0f) return {l, l, l};
    const float m2 = l < 0.5f ? l * (1.0f + s) : (l + s) - s * l;
    const float m1 = 2.0f * l - m2;
    return {HueToChannel(m1, m2, h + 120.0f), HueToChannel(m1, m2, h), HueToChannel(m1, m2, h - 120.0f)};
}

}  // namespace dro
