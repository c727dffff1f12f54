// Noise removal of our imaging library on 8-bit blocks of 3 or 4 bytes per pixel.
// Source and destination must not overlap; windows extend the edge pixels.
#pragma once

#include <cstdint>

namespace dro {

// Bilateral filter: each pixel becomes the mean of its neighbours within 2σs, weighted
// by exp(−d² ÷ 2σs²) for the distance d and exp(−Δ² ÷ 2σr²) for the colour difference
// Δ (root of the summed squared channel differences, in levels); rounded.
bool is5_BilateralFilterImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                              int32_t stride, uint8_t* destination, double spatialSigma, double rangeSigma) noexcept;
// A channel takes the median of its (2r + 1)² window where it differs from that median
// by more than threshold levels: specks and scratches go, texture below the threshold
// stays.
bool ISE3DustAndScratches(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                          int32_t stride, uint8_t* destination, int32_t radius, int32_t threshold) noexcept;
// The 3 × 3 median where the eight neighbours span at most edgeThreshold levels in
// that channel (smooth areas); edges are kept as they are.
bool IS3DespeckleImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                       uint8_t* destination, int32_t edgeThreshold) noexcept;

}  // namespace dro
