// Scales the alpha of a host RGBA32 block by the texture and the mask under it, so a
// block pasted or merged later respects both.
#pragma once

#include <cstdint>

namespace dro {

// The block's top-left pixel lies at canvas (left, top); its rows are width pixels.
// Pixels off the canvas are left alone; nothing happens without texture or mask.
void adjustRGBA32RectByMaskAndTexture(uint8_t* block, int32_t left, int32_t top, int32_t width,
                                      int32_t height) noexcept;

}  // namespace dro
