// Undoing the premultiplication of a canvas-sized RGBA32 block that a host composited
// with premultiplied alpha.
#pragma once

#include <cstdint>

namespace dro {

// With flag set, every pixel of the canvas-sized block with a != 0 gets
// C = min(trunc(C * 255 / a), 255). A null block or flag 0 does nothing.
void adjustRgba32ForAlphaComp(uint8_t flag, uint8_t* block) noexcept;

}  // namespace dro
