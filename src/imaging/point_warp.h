// The push warp of the current layer: the host drags content from one point to another.
#pragma once

#include <cstdint>

namespace dro {

// Needs the IPL source and destination (32). The source is premultiplied in place, the
// pushed result loaded into the current layer through the mask, and only pixels inside
// the warp's disc are written, so the rest of the layer keeps every bit. A push of no
// length changes nothing. The whole canvas is marked changed whenever the buffers exist.
void warpPointToPoint(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

}  // namespace dro
