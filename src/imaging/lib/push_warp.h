// The push warp of the imaging library: content is pushed from one point to another;
// only a disc around the point it is pushed to changes, most at the centre and fading
// to nothing at the disc's rim.
#pragma once

#include <cstdint>

#include "imaging/lib/draw_flood.h"

namespace dro::lib {

// Radius of the disc (around `toward`) a push from `from` to `toward` changes: twice the push and a few
// pixels more, so a short push still moves a visible neighbourhood. 0 for no push.
double pushRadius(const LibPoint& from, const LibPoint& toward) noexcept;

}  // namespace dro::lib

// RGBA32, premultiplied for clean edges (the caller's business). The destination (same
// size and stride, at dx, dy = 0, 0) receives the source, with every pixel inside the
// disc drawn from where the push brings it from (bilinear, clamped to the image). False
// for bad blocks or points, or a destination that is not at the origin.
bool is5_PushImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                   uint8_t* destination, int32_t destinationX, int32_t destinationY, const LibPoint* toward,
                   const LibPoint* from, int32_t flags);
