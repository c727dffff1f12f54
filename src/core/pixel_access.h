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

namespace dro {

// The packed colour 0xAARRGGBB (high bytes) of a canvas-sized RGBA64 plane at (x, y);
// 0x00FFFFFF outside the canvas, 0 without a plane.
uint32_t packedColorAt(const uint16_t* plane, int32_t x, int32_t y) noexcept;

}  // namespace dro
