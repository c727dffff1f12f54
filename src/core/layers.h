// Layer slots: creation, removal, selection, options and whole-layer copies.
#pragma once

#include <cstdint>

namespace dro {

bool createLayer(int32_t index, int32_t width, int32_t height);
void deleteLayer(int32_t index) noexcept;
void swapLayers(int32_t a, int32_t b) noexcept;
int32_t layerCount() noexcept;
void setLayerOptions(int32_t index, uint8_t visible, uint8_t alphaLocked, int32_t percent,
                     const char* modeName);
void setAlphaLayerOpacity(int32_t percent) noexcept;

void getLayerData(uint16_t* destination, int32_t index) noexcept;
void setLayerData(const uint16_t* source, int32_t index) noexcept;
void copyLayerData(int32_t sourceIndex, int32_t destinationIndex) noexcept;

}  // namespace dro
