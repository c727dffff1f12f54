// Loading the host's 8-bit blocks (and raw RGBA64 blocks) into layers.
#pragma once

#include <cstdint>

namespace dro {

void loadRGBA32Layer(const uint8_t* block, int32_t pitch, int32_t layer, int32_t x, int32_t y,
                     int32_t width, int32_t height, bool useMask) noexcept;
void loadRGBA32(const uint8_t* block, int32_t pitch, bool useMask) noexcept;
void loadRGB24(const uint8_t* block, int32_t pitch, bool useMask) noexcept;
void loadRGB24ToAlpha(const uint8_t* block, int32_t pitch, bool useMask) noexcept;
void loadBGR24(const uint8_t* block, int32_t pitch, int32_t width, int32_t height) noexcept;
void setRGBA64Layer(const uint16_t* block, int32_t pitch, int32_t layer) noexcept;

// Widens a packed RGBA32 block to packed RGBA64 and narrows back (high bytes).
void RGBA32ToRGBA64Block(const uint8_t* source, uint16_t* destination, int32_t width, int32_t height);
void RGBA64ToRGBA32Block(const uint16_t* source, uint8_t* destination, int32_t width, int32_t height);

}  // namespace dro
