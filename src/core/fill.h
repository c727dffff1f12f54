// Filling layers and host blocks with one colour, and raw copies of the mask.
#pragma once

#include <cstdint>

#include "core/layer_slot.h"

namespace dro {

void clearCurrent(int32_t red, int32_t green, int32_t blue, int32_t alpha) noexcept;
void clearCurrentMasked(int32_t red, int32_t green, int32_t blue, int32_t alpha) noexcept;
void clearSlotMasked(LayerSlot& slot, int32_t red, int32_t green, int32_t blue, int32_t alpha) noexcept;
void clearCurrentMaskedAlpha(int32_t red, int32_t green, int32_t blue, int32_t alpha);
void clearRGBA64(uint16_t* block, int32_t pitch, int32_t red16, int32_t green16, int32_t blue16,
                 int32_t alpha16) noexcept;
void clearRGBA32(uint8_t* block, int32_t pitch, int32_t width, int32_t height, int32_t red, int32_t green,
                 int32_t blue, int32_t alpha) noexcept;

void getMaskData16(uint16_t* destination) noexcept;
void setMaskData16(const uint16_t* source) noexcept;

}  // namespace dro
