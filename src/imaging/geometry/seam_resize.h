// Seam carving in both directions: the width through vertical seams, the height
// through the same carving on the transposed image.
#pragma once

#include <cstdint>

#include "imaging/geometry/layer_recreate.h"

namespace dro {

// source is from.width x from.height packed RGBA32; mask (from.width values per row,
// 0 protected) may be null; result is to.width x to.height packed.
bool seamResizeRgba32(const uint8_t* source, BlockSize from, const uint16_t* mask, uint8_t* result, BlockSize to);

}  // namespace dro
