// Cell filters of our imaging library on 8-bit blocks of 3 or 4 bytes per pixel: the
// picture cut into square cells from the top-left corner, each cell drawn from its own
// mean. Source and destination (same stride) must not overlap.
#pragma once

#include <cstdint>

namespace dro {

// Every pixel of a cell takes the cell's rounded mean, every channel alike.
bool ISE3MosaicImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                     uint8_t* destination, int32_t cell) noexcept;

// Printed dots: per colour channel (or, with monochrome, for the cell's grey on all
// three) a dot of ink 0 on paper 255 grown from the cell's centre, covering the share
// of the cell that is its darkness (1 − mean ÷ 255), so a cell's pattern depends only
// on its mean; cells of 1..256 pixels. A fourth byte (alpha) is copied and weighs
// each pixel's colour in the mean, so transparent pixels lend the cell no ink.
bool ISE3HalftoneImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                       uint8_t* destination, int32_t cell, bool monochrome) noexcept;

}  // namespace dro
