// A whole layer as one zlib stream of packed RGBA32 rows (high bytes).
#pragma once

#include <cstdint>

namespace dro {

// Returns the compressed size, 0 for an empty slot or a failure.
int32_t getRGBA32LayerCompressed(uint8_t* out, int32_t capacity, int32_t layer, int32_t level);
// Loads nothing unless the stream inflates to exactly the layer's RGBA32 size.
void loadRGBA32LayerCompressed(const uint8_t* in, int32_t size, int32_t layer);

}  // namespace dro
