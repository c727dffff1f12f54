// Gaussian blur of 8-bit pixel blocks (the imaging library's entry name).
#pragma once

#include <cstdint>

// bytesPerPixel 1, 3 or 4; radius is the Gaussian's standard deviation in pixels; flags:
// low 4 bits select the channels blurred (bit 0 = first byte of a pixel ... bit 3 =
// fourth), other channels are copied; higher bits are accepted and ignored (callers
// pass 0x100 with the channel bits). destination may equal source. Edges extend the
// edge pixels, so a flat image stays exactly flat; results round to nearest. Returns
// false (destination untouched) for bad arguments or failed allocation.
bool is5_GaussianBlurImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                           int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
                           double radius, uint32_t flags);
