// Single-pixel reads of the current layer and the mask, and one-pixel host writes.
#pragma once

#include <cstdint>

namespace dro {

// Channel 0..3 of the current layer at (x, y); 0 outside the canvas or without one.
int32_t currentChannelAt(int32_t x, int32_t y, int channel) noexcept;
// 65535 - mask value, when there is a current layer, the mask is on and (x, y) inside.
int32_t invertedMaskAt(int32_t x, int32_t y) noexcept;
void setPixelRGB24(uint8_t* block, int32_t pitch, int32_t x, int32_t y, int32_t red16, int32_t green16,
                   int32_t blue16) noexcept;

}  // namespace dro
