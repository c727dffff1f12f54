// Resampling of 8-bit pixel blocks with a choice of reconstruction filters, as the
// imaging library's resize calls offer it. Each channel is resampled on its own;
// callers that care about colour under transparency premultiply first.
#pragma once

#include <cstdint>

// Filter codes: 0 Box, 1 Triangle, 2 Hamming, 3 Gaussian, 4 Bell, 5 B-Spline,
// 6 Cubic (Keys a = -0.75), 7 Cubic (Keys a = -1), 8 Lanczos3, 9 Mitchell, 10 Sinc
// (4 lobes, Lanczos-windowed), 11 Hermite, 12 Hanning, 13 Catmull-Rom, 15 area average,
// 17 bicubic (Keys a = -0.5), 18 nearest neighbour. Any other code means Lanczos3.
// Shrinking widens the kernel by the scale so every source pixel is weighed.
// Blocks must not overlap. Returns false for bad sizes or a failed allocation.
bool is5_ResizeImage(const uint8_t* source, int32_t width, int32_t height, int32_t sourceStride,
                     uint8_t* destination, int32_t newWidth, int32_t newHeight, int32_t destinationStride,
                     int32_t bytesPerPixel, int32_t filterCode, uint32_t flags);

// Shrinks by averaging the exact source area under each destination pixel.
bool IS3DecimateImage(const uint8_t* source, int32_t width, int32_t height, int32_t sourceStride,
                      uint8_t* destination, int32_t newWidth, int32_t newHeight, int32_t destinationStride,
                      int32_t bytesPerPixel, uint32_t flags);

// General-purpose resize (bicubic).
bool IS3ResizeImage(const uint8_t* source, int32_t width, int32_t height, int32_t sourceStride,
                    uint8_t* destination, int32_t newWidth, int32_t newHeight, int32_t destinationStride,
                    int32_t bytesPerPixel);
