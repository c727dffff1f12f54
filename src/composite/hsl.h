// The single-precision RGB <-> HSL pair used by the Colorize and HSL blend modes.
// Evaluation order and constants are fixed so that blends are reproducible bit for
// bit; do not "simplify" the arithmetic.
#pragma once

namespace dro {

struct Hsl {
    float h;  // degrees, [0, 360]
    float s;
    float l;
};

struct RgbF {
    float r;
    float g;
    float b;
};

// r, g, b nominally 0..1. Ties between equal maxima resolve in the order r, g, b.
Hsl RgbToHsl(float r, float g, float b) noexcept;

RgbF HslToRgb(float h, float s, float l) noexcept;

// One channel of HslToRgb; h is wrapped into 0..360 once, not reduced modulo 360.
float HueToChannel(float m1, float m2, float h) noexcept;

}  // namespace dro
