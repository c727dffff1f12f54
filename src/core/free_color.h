#pragma once

#include <cstdint>

namespace dro {

// A 24-bit colour (b0 | b1 << 8 | b2 << 16) that no pixel of the RGBA32 block has,
// searched from the lowest b2, then b1, then b0; 256 when all 2^24 colours occur.
// The fill and wand tools use it as a key that cannot collide with image content.
int32_t x_FindFreeColor(const uint8_t* block, int32_t width, int32_t height);

}  // namespace dro
