// Sharpening of our imaging library on 8-bit blocks of 3 or 4 bytes per pixel (every
// channel alike). Source and destination must not overlap; edges extend the edge
// pixels, so a flat image stays flat.
#pragma once

#include <cstdint>

namespace dro {

// c + amount × (c − mean of the four side neighbours), rounded and clamped.
bool IS3SharpenImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                     uint8_t* destination, double amount) noexcept;
// c + amount × (c − mean of all eight neighbours), rounded and clamped.
bool ISE3SharpenImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                      uint8_t* destination, double amount) noexcept;
// c + amount × (c − Gaussian(c, radius)) where |c − blurred| exceeds threshold levels,
// else c; rounded and clamped.
bool IS3UnsharpMaskImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                         int32_t stride, uint8_t* destination, double radius, double amount,
                         int32_t threshold) noexcept;
// Its last step on n bytes: blurred[i] becomes in[i] + amount × (in[i] − blurred[i]),
// rounded and clamped, where |in[i] − blurred[i]| exceeds threshold, else in[i].
void unsharpAddBack(const uint8_t* in, uint8_t* blurred, int32_t n, double amount, int32_t threshold) noexcept;

}  // namespace dro
