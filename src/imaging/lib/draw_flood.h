// Region finding and recolouring on 8-bit pixel blocks (the imaging library's entry
// names). Colours are packed r | g << 8 | b << 16 | a << 24; the tolerance is a squared
// distance over red, green and blue, 0..195075 (3 x 255^2), and alpha never takes part
// in a match. Regions are 4-connected: pixels touching only at a corner are apart, so a
// one-pixel diagonal wall stops a fill. Every call returns false, changing nothing, for
// a null block or point, a bytes-per-pixel it does not take, or a stride shorter than a row.
#pragma once

#include <cstdint>

// Pixel position passed by address, as the library takes it.
struct LibPoint {
    int32_t x;
    int32_t y;
};

// Colour replacement flags.
inline constexpr int32_t kReplaceSetsAlpha = 2;  // write the to-colour's alpha byte too

// In place: every RGBA32 pixel whose colour lies within tolerance of `from` gets the
// red, green and blue of `to` (and its alpha with kReplaceSetsAlpha).
bool IS3ColorReplaceImage(uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                          uint32_t from, uint32_t to, int32_t tolerance, int32_t flags);

// The region connected to the point whose colours are within tolerance of the point's
// own colour gets the red, green and blue of `colour` (alpha kept). RGBA32 only. When
// `colour` itself matches, visits are kept in a bit plane; false, changing nothing, if
// that plane cannot be allocated.
bool IS3FloodFillImage(uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                       const LibPoint* point, uint32_t colour, int32_t connected, int32_t tolerance, int32_t flags);

// The map (width bytes a row at mapStride) is cleared, then holds 1 for each pixel of
// the region connected to the point of the RGB24 block. The colour argument is kept
// for the library's signature and selects nothing.
bool IS3GetColorMatchMaskFromImage(const uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel,
                                   int32_t stride, uint8_t* map, int32_t mapStride, const LibPoint* point,
                                   uint32_t colour, int32_t connected, int32_t tolerance, int32_t flags);
