// Solid shapes on 8-bit pixel blocks (the imaging library's entry names). Both
// return false, drawing nothing, for a null block or colour, a bytesPerPixel outside
// 1..8, a non-positive size or a stride shorter than a row.
#pragma once

#include <cstdint>

// Windows RECT convention: right and bottom are exclusive. colour points to bytesPerPixel bytes.
// The rectangle is clipped to the image; an empty one draws nothing and returns true.
bool IS40_FillSolidRect(uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                        int32_t left, int32_t top, int32_t right, int32_t bottom, const uint8_t* colour);

// Filled (or outlined) axis-aligned ellipse with the given centre and semi-axes, clipped to the image.
// A pixel (x, y) is inside when ((x - cx) / a)^2 + ((y - cy) / b)^2 <= 1; the outline is the
// inside pixels with a 4-neighbour outside. Negative semi-axes draw nothing.
bool IS40_DrawEllipseOnImage(uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel,
                             int32_t stride, int32_t centreX, int32_t centreY, int32_t semiAxisX,
                             int32_t semiAxisY, const uint8_t* colour, bool filled);
