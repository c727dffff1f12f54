// The shape calls of the fill and selection tools on 8-bit pixel blocks (the imaging
// library's entry names). Shapes are clipped to the block; a null block, a
// bytes-per-pixel outside 1..4 or a stride shorter than a row returns false.
#pragma once

#include <cstdint>

#include "imaging/lib/draw_flood.h"

// Inclusive rectangle, left, top, right, bottom, passed by address.
struct LibRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// Fills the rectangle with the colour's bytes in memory order (r | g << 8 | b << 16 | a << 24
// lands as R, G, B, A).
bool IS3FillSolidRect(uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                      const LibRect* rect, uint32_t colour, int32_t flags);
// The same on RGB24 images; the alpha argument is kept for the signature.
bool IS3FillTransparentRectOnImage(uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel,
                                   int32_t stride, const LibRect* rect, uint32_t colour, int32_t opaque,
                                   int32_t flags);

// Ellipse edge kinds (the last argument).
inline constexpr int32_t kEllipseSmoothAlpha = 4;  // RGBA32: edge coverage goes into alpha
inline constexpr int32_t kEllipseHardEdge = 2;     // every pixel in or out

// Filled ellipse around the centre with semi-axes rx, ry. The colour is 0xAARRGGBB (blue
// in the low byte). With kEllipseSmoothAlpha on a 4-byte block the colour is written
// wherever the shape covers part of a pixel and the alpha is raised to the covered share
// of the colour's alpha; otherwise a pixel is inside when its centre is.
bool IS3DrawEllipseOnImage(uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                           uint32_t colour, const LibPoint* centre, int32_t rx, int32_t ry, int32_t filled,
                           int32_t opacityPercent, int32_t reserved1, int32_t reserved2, int32_t edge);
