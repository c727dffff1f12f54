// Reading layers and RGBA64 blocks out in the host's formats (high bytes).
#pragma once

#include <cstdint>

namespace dro {

void getRGBA32Layer(uint8_t* destination, int32_t pitch, int32_t layer) noexcept;
void getRGB24Layer(uint8_t* destination, int32_t pitch, int32_t layer) noexcept;
void getRGB24FromCurrent(uint8_t* destination, int32_t pitch) noexcept;
void getRGB24FromAlpha(uint8_t* destination, int32_t pitch) noexcept;
void getRGBA64Layer(uint16_t* destination, int32_t pitch, int32_t layer) noexcept;
void getRGBA64LayerRect(uint16_t* destination, int32_t destinationPitch, int32_t layer, int32_t x, int32_t y,
                        int32_t width, int32_t height) noexcept;

void rgba64RectToRGBA32(const uint16_t* block, int32_t x, int32_t y, int32_t width, int32_t height,
                        int32_t blockWidth, uint8_t* destination) noexcept;
void rgba64RectToRGB24(const uint16_t* block, int32_t x, int32_t y, int32_t width, int32_t height,
                       int32_t blockWidth, uint8_t* destination) noexcept;
// Both pointers address the rectangle's first pixel; pitches in bytes.
void rgba64ToRGBA32Rect(uint8_t* destination, int32_t destinationPitch, const uint16_t* source,
                        int32_t sourcePitch, int32_t width, int32_t height) noexcept;
void rgba64ToRGB24Rect(uint8_t* destination, int32_t destinationPitch, const uint16_t* source,
                       int32_t sourcePitch, int32_t width, int32_t height) noexcept;

}  // namespace dro
