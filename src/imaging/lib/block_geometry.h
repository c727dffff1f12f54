// Exact rearrangements of pixel blocks: crop, quarter turns and mirrors. Pixels are
// opaque runs of bytesPerPixel bytes (1..8); nothing is resampled.
#pragma once

#include <cstdint>

// Copies the source rectangle [left, right) x [top, bottom) into the destination
// (stride destinationStride). False, writing nothing, when the rectangle is empty or
// leaves the source.
bool IS3CropImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                  int32_t sourceStride, uint8_t* destination, int32_t destinationStride, int32_t left,
                  int32_t top, int32_t right, int32_t bottom);

// Rotation codes: 0 a quarter turn clockwise, 1 a half turn, 2 a quarter turn
// counter-clockwise (as seen on screen, y down). The destination is height x width
// for the quarter turns. False for bad arguments or an unknown code.
bool IS3QuickRotateImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                         int32_t sourceStride, uint8_t* destination, int32_t destinationStride, int32_t code);

// Mirrored in place: left to right, or top to bottom (rowBytes per row).
bool IS3HorizontalFlipImage(uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel,
                            int32_t stride);
bool IS3VerticalFlipImage(uint8_t* image, int32_t rowBytes, int32_t height);
