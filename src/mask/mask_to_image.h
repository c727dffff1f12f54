// The mask turned into pixels: as the current layer's picture or alpha, as a scale on
// the alpha of host RGBA32 blocks, and flood maps and alpha ranges recoloured in host
// blocks (canvas-sized, stride width x 4 unless a stride is given).
#pragma once

#include <cstdint>

namespace dro {

// The current layer becomes the mask's grey picture, opaque.
void createImageFromMask() noexcept;
// kind 0 sets the current layer's alpha to the mask, 1 adds it, 2 subtracts it (both
// saturating); other kinds do nothing.
void createAlphaFromMask(int32_t kind) noexcept;

// Scales the alpha of a block holding the inclusive canvas rectangle (x0, y0)..(x1, y1),
// block row 0 and column 0 at (x0, y0), by the high byte of the mask.
void applyMaskToAlphaRectRGBA32(uint8_t* data, int32_t stride, int32_t x0, int32_t y0, int32_t x1,
                                int32_t y1) noexcept;
void applyMaskToAlphaRGBA32(uint8_t* data) noexcept;

// Paints (r, g, b, a) where the flood map is 1, then marks the whole canvas dirty.
void colorRGBA32FromFloodMask(uint8_t* out, const uint8_t* map, int32_t r, int32_t g, int32_t b,
                              int32_t a) noexcept;
// Paints (r, g, b, a) over every pixel whose alpha is within the tolerance (percent).
void replaceFromRGBAImageAlphaRange(uint8_t* data, int32_t alpha, int32_t tolerance, int32_t r, int32_t g,
                                    int32_t b, int32_t a) noexcept;

}  // namespace dro
