// Replacing a layer by a host block through mask and texture: the layer is cleared
// where the mask allows, then the block is merged onto it.
#pragma once

#include <cstdint>

namespace dro {

// block: canvas-sized RGBA32. With adjust, its alpha is first scaled by texture and
// mask (the block's rows are width pixels, its top-left at the canvas origin).
// Throws AllocationFailure when the merge's temporary block cannot be had.
void loadRGBA32LayerMerged(uint8_t* block, int32_t layer, int32_t width, int32_t height, bool adjust);

}  // namespace dro
