// Soft colour filters of our imaging library on 8-bit blocks of 3 or 4 bytes per
// pixel (a fourth byte, alpha, is copied): a gauzy soft focus and a watercolour wash.
// Source and destination (same stride) must not overlap.
#pragma once

#include <cstdint>

namespace dro {

// Soft focus through gauze: the picture screened with its own Gaussian blur (radius
// pixels), mixed with the original by amount 0..1, rounded.
bool ISE3GauzyRGB(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                  uint8_t* destination, double radius, double amount) noexcept;

// A watercolour wash: each channel's median over the (2r + 1)² window (detail washed
// out, edges kept), then its distance from the pixel's grey scaled by 1 + 0.5 ×
// lightness (livelier colour) and the result lifted toward white by lightness 0..1
// (the paper showing through); rounded and clamped. radius 1..32.
bool ISE3WatercolorTintRGB(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                           int32_t stride, uint8_t* destination, int32_t radius, double lightness) noexcept;

}  // namespace dro
