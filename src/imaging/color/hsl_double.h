// RGB -> HSL in double precision. It follows the single-precision conversion of the
// blend modes step for step (same constants, same tie order), only wider, so range
// tests built on it agree with what the blend modes would call the same colour.
#pragma once

#include <cstdint>

namespace dro {

struct HslDouble {
    double h;  // degrees, [0, 360]; 0 for grey
    double s;
    double l;
};

// r, g, b nominally 0..1.
HslDouble rgbToHslDouble(double r, double g, double b) noexcept;

// The same for 8-bit channel values, each scaled by 1/255 first.
HslDouble rgb8ToHslDouble(int32_t r, int32_t g, int32_t b) noexcept;

}  // namespace dro
