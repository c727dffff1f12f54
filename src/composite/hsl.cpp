#include "composite/hsl.h"

#include <algorithm>

#include "imaging/color/rgb_to_hsl.h"

namespace dro {

Hsl RgbToHsl(float r, float g, float b) noexcept {
    const HslOf<float> hsl = rgbToHslIn(r, g, b);
    return {hsl.h, hsl.s, hsl.l};
}

float HueToChannel(float m1, float m2, float h) noexcept { return hueToChannelIn(m1, m2, h); }

RgbF HslToRgb(float h, float s, float l) noexcept {
    if (s == 0.0f) return {l, l, l};
    const float m2 = l < 0.5f ? l * (1.0f + s) : (l + s) - s * l;
    const float m1 = 2.0f * l - m2;
    return {HueToChannel(m1, m2, h + 120.0f), HueToChannel(m1, m2, h), HueToChannel(m1, m2, h - 120.0f)};
}

}  // namespace dro
