// Moving an RGBA32 image within its own frame by whole pixels.
#pragma once

#include <cstdint>

#include "imaging/lib/edge_mode.h"

namespace dro {

// destination(x + dx, y + dy) = source(x, y); both width x height, stride width * 4,
// not overlapping. edge says what fills the pixels the moved image no longer covers;
// background points to 4 bytes R, G, B, A.
void offsetRgba32(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height, int32_t dx,
                  int32_t dy, lib::EdgeMode edge, const uint8_t* background) noexcept;

}  // namespace dro
