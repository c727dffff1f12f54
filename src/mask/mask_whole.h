// Operations on the whole mask, and the mask as a grey RGB24 picture. The picture is
// the mask inverted: black is editable, white protected.
#pragma once

#include <cstdint>

namespace dro {

void invertMask() noexcept;
// r, g, b in canvas units (8-bit value x 256); their mean decides the one value.
void clearMask(int32_t r, int32_t g, int32_t b) noexcept;
// Writes a canvas-sized grey RGB24 picture of the mask, row y at out + y * stride.
void saveMask(uint8_t* out, int32_t stride) noexcept;
// Reads a width x height RGB24 picture into the mask from its top-left corner; the
// part beyond the canvas is ignored.
void loadMask(const uint8_t* data, int32_t stride, int32_t width, int32_t height) noexcept;

}  // namespace dro
