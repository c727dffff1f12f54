// Merges of whole layers, rectangles and host blocks, built on the merge core.
#pragma once

#include <cstdint>

#include "core/layer_slot.h"

namespace dro {

void mergeLayer(int32_t sourceIndex, int32_t destinationIndex) noexcept;
// The rectangle (x, y, w, h) of a layer into a packed w x h RGBA64 buffer at (0, 0).
void mergeLayerIntoRect(int32_t index, uint16_t* buffer, int32_t x, int32_t y, int32_t width, int32_t height) noexcept;
// Flattens the visible layers' rectangle into a packed w x h RGBA64 buffer.
void mergeRect(uint16_t* buffer, int32_t x, int32_t y, int32_t width, int32_t height) noexcept;
// A canvas-sized RGBA32 block merged into a layer; throws AllocationFailure when
// its temporary block cannot be had.
void mergeRGBA32Layer(const uint8_t* data, int32_t index, int32_t mode, int32_t opacity);
// A canvas-sized RGBA32 block merged into a layer's plane (the part both cover).
// Returns false, merging nothing, when its temporary block cannot be had.
bool MergeRGBA32Block(const uint8_t* data, LayerSlot& destination, int32_t mode, int32_t maskMode, int32_t opacity,
                      bool alphaLock) noexcept;
// The composited colour at (x, y) packed 0xAARRGGBB; 0x00FFFFFF outside the canvas.
uint32_t colorAtMerged(int32_t x, int32_t y);

}  // namespace dro
