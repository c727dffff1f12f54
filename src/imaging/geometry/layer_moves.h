// Commands that move or soften pixels without changing any size.
#pragma once

#include <cstdint>

namespace dro {

// Moves the IPL source (32) by (dx, dy) into the IPL destination (32) and writes it
// into the current layer, replacing what was there: uncovered pixels take what the
// edge mode gives (0 transparent, 1 wrap, 2 and others the background colour,
// 3 the nearest edge pixel). With applyMaskAndTexture the write goes through the
// mask and texture, so protected pixels keep their old content. Nothing happens
// without both buffers or a current layer.
void panCurrentLayer(int32_t dx, int32_t dy, int32_t edgeMode, const uint8_t background[4], bool applyMaskAndTexture);

// Blurs a host RGB24 block (stride width * 3) in place: a Gaussian of radius
// radiusSetting / 5 pixels, blended in by strengthSetting percent (clamped to 0..100).
// False when the blur could not run (the block is then unchanged).
bool blurMoreRgb24(uint8_t* block, int32_t width, int32_t height, int32_t radiusSetting, int32_t strengthSetting);

}  // namespace dro
