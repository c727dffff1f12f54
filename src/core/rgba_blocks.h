// Operations on the host's packed RGBA32 blocks.
#pragma once

#include <cstdint>

namespace dro {

// Canvas-sized blocks.
void invertAlphaRGBA32(uint8_t* block) noexcept;
void clearAlphaOfColorRGBA32(uint8_t* block, int32_t red, int32_t green, int32_t blue) noexcept;
// Blocks of the given size.
void setColorOfTransparentRGBA32(uint8_t* block, int32_t width, int32_t height, int32_t red, int32_t green,
                                 int32_t blue) noexcept;
void setColorRGBA32(uint8_t* block, int32_t width, int32_t height, int32_t red, int32_t green,
                    int32_t blue) noexcept;

}  // namespace dro
