// How filter scripts' numbers become pixels and back: coordinates, channel scaling
// and clamping, mask values and the 32-bit integers of the bit functions. Plain
// arithmetic with no interpreter in sight, so the fast pixel functions and the
// benchmark's reference host follow the very same rules. Every conversion of a
// script's double is defined for NaN, infinities and huge values.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace dro::script {

// A byte as the script sees it: b x (1/255).
inline double unitFromByte(uint32_t byte) noexcept { return byte * (1.0 / 255.0); }

// trunc(v x 255) clamped to 0..255; NaN stores 0.
inline uint8_t byteFromUnit(double v) noexcept {
    const double t = v * 255.0;
    if (t >= 255.0) return 255;
    if (t > 0.0) return static_cast<uint8_t>(t);
    return 0;
}

// Byte offset of pixel (x, y) in a packed RGBA32 block, or -1 off the image.
// Coordinates truncate toward zero, so -0.5 is column 0; NaN is off the image.
inline std::ptrdiff_t rgbaOffset(double x, double y, int32_t width, int32_t height) noexcept {
    if (!(x > -1.0 && x < width && y > -1.0 && y < height)) return -1;
    const auto column = static_cast<std::ptrdiff_t>(static_cast<int32_t>(x));
    const auto row = static_cast<std::ptrdiff_t>(static_cast<int32_t>(y));
    return (row * width + column) * 4;
}

// The same position as an index into a plane of one value per pixel, or -1.
inline std::ptrdiff_t planeIndex(double x, double y, int32_t width, int32_t height) noexcept {
    const std::ptrdiff_t offset = rgbaOffset(x, y, width, height);
    return offset < 0 ? -1 : offset / 4;
}

// An integer-valued double reduced modulo 2^bits into 0..2^bits - 1; fmod is exact.
inline double wrapUnsigned(double integral, double modulus) noexcept {
    const double m = std::fmod(integral, modulus);
    return m < 0.0 ? m + modulus : m + 0.0;
}

// The low 16 bits of trunc(v x 65535): what "set_mask" stores (NaN and infinities 0).
inline uint16_t maskFromUnit(double v) noexcept {
    const double t = std::trunc(v * 65535.0);
    if (!std::isfinite(t)) return 0;
    return static_cast<uint16_t>(wrapUnsigned(t, 65536.0));
}

// trunc(a) as a two's-complement 32-bit integer (wrapping; NaN and infinities 0).
inline int32_t int32FromNumber(double a) noexcept {
    const double t = std::trunc(a);
    if (!std::isfinite(t)) return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(wrapUnsigned(t, 4294967296.0)));
}

// A double turned into an int with truncation, held to the int32 range (NaN 0).
inline int32_t clampedInt32(double v) noexcept {
    if (!(v == v)) return 0;
    if (v <= -2147483648.0) return INT32_MIN;
    if (v >= 2147483647.0) return INT32_MAX;
    return static_cast<int32_t>(v);
}

}  // namespace dro::script
