// Applying the transform list to an RGBA32 image (the imaging library's entry).
#pragma once

#include <cstdint>

// Every destination pixel takes the source at the point the transform list maps it
// back to (see transform_chain.h); an empty list copies. mode: 0 bilinear on straight
// colour, 1 bilinear on premultiplied colour, 2 bicubic on premultiplied colour.
// background is R | G << 8 | B << 16 | A << 24, straight, for the background edge
// rule. flags: reserved, 0. Rows run in parallel on large images. False (destination
// untouched) for bytesPerPixel other than 4, bad sizes or strides, overlapping blocks
// or a failed allocation.
bool is5_TransformProcess(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                          int32_t sourceStride, uint8_t* destination, int32_t destinationStride, int32_t mode,
                          uint32_t background, uint32_t flags) noexcept;
