// The frame every size-changing command shares: each layer slot with pixels is read
// into a canvas-sized RGBA32 block, turned into a block of the new size by the
// command's operation, and the slot recreated at that size with the result.
#pragma once

#include <cstdint>
#include <functional>

namespace dro {

struct BlockSize {
    int32_t width;
    int32_t height;
};

// source is the layer (canvas width x height, packed RGBA32; what lies outside a
// smaller layer reads as transparent); result is newSize, packed. Returns false when
// the layer must stay as it was.
using LayerReshape = std::function<bool(int32_t slot, const uint8_t* source, uint8_t* result)>;

// False when the command could not start (bad size, no canvas, no memory); layers are
// then untouched. A layer whose operation fails keeps its pixels. alphaLocked is
// cleared for the write and restored, so the new layer receives the full alpha.
bool recreateEveryLayer(BlockSize newSize, const LayerReshape& reshape);

// Reads each layer into one canvas-sized block, changes it in place and writes it
// back into the same plane (no recreation, no mask, alpha lock in force).
bool rewriteEveryLayer(const std::function<bool(uint8_t* block, BlockSize size)>& change);

bool validCanvasSize(BlockSize size) noexcept;

}  // namespace dro
