// Channel conversions of our imaging library: RGBA32 to one grey byte per pixel, and
// the red/blue swap between RGBA and BGRA orders.
#pragma once

#include <cstdint>

namespace dro {

// Grey = (77 R + 150 G + 29 B + 128) >> 8 (Rec. 601 weights; white stays 255). Alpha
// is ignored. bytesPerPixel must be 3 or 4. Returns false for bad sizes or blocks.
bool IS3ImageToGrayScale8Bit(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                             int32_t sourceStride, uint8_t* grey, int32_t greyStride, uint32_t flags) noexcept;

// Swaps bytes 0 and 2 of every 4-byte pixel in place.
bool IS3RGBAToBGRA(uint8_t* pixels, int32_t width, int32_t height, int32_t stride) noexcept;

}  // namespace dro
