// Whole-layer queries and alpha operations.
#pragma once

#include <cstdint>

#include "core/rect.h"

namespace dro {

// Inclusive bounds of the pixels with nonzero alpha; left > right when there are none.
// Returns false (outputs untouched) for an empty slot.
bool findDataExtentsLayer(int32_t index, Rect& extents) noexcept;
bool isLayerTransparent(int32_t index) noexcept;
bool isSingleColor(int32_t index) noexcept;

void invertAlpha(int32_t index) noexcept;
void setLayerAlpha(int32_t index, int32_t alpha16) noexcept;
void normalizeLayerAlpha(int32_t index) noexcept;
void setColorAlpha(int32_t red, int32_t green, int32_t blue) noexcept;
void createBlobFromImage(int32_t index, int32_t style) noexcept;

}  // namespace dro
