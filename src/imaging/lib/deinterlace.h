// Deinterlacing of our imaging library: one field of an interlaced frame rebuilt
// from the other.
#pragma once

#include <cstdint>

namespace dro {

// Keeps the rows of one field (0: even rows 0, 2, …; 1: odd rows) and rebuilds every
// row of the other from the kept rows beside it: their rounded mean when interpolate
// is set and both exist, else a copy of the kept row above (below for row 0). Any
// bytesPerPixel 1..8; source and destination (same stride) must not overlap; a block
// of one row is copied.
bool IS3Deinterlace(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                    uint8_t* destination, int32_t field, bool interpolate) noexcept;

}  // namespace dro
