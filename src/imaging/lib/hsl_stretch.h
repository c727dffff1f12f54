// Brightness stretch in HSL of our imaging library on RGBA32 blocks.
#pragma once

#include <cstdint>

namespace dro {

// The lightness range the block uses, from its darkest to its lightest pixel,
// stretched to 0..1 with hue and saturation kept; alpha is kept. A block of one
// lightness is left as it is.
void IS3BrightnessHistogramStretchImageInHSL(uint8_t* block, int32_t width, int32_t height, int32_t stride) noexcept;

}  // namespace dro
