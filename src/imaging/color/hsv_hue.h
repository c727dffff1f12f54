// The hue of the RGB -> HSV conversion, in double precision. Grey has no hue and
// reports -1, which hue comparisons treat as an ordinary angle (one below 0).
#pragma once

#include <cstdint>

namespace dro {

inline constexpr double kGreyHsvHue = -1.0;

// r, g, b nominally 0..1; degrees in [0, 360), or -1 for grey. Ties between equal
// maxima resolve in the order r, g, b.
double hsvHue(double r, double g, double b) noexcept;

// The same for 8-bit channel values, each scaled by 1/255 first.
double hsvHue8(int32_t r, int32_t g, int32_t b) noexcept;

}  // namespace dro
