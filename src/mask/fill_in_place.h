// The paint bucket's "Paint Connected" worked straight on the current layer, without the
// 8-bit tool block. The block route recolours the region with a free marker colour,
// turns the marker into opaque paint and writes the whole block back through the mask;
// this route finds the same region on the layer's high bytes, then makes one pass that
// writes back, row by row, what the block would have held.
#pragma once

#include <cstdint>

namespace dro {

// paint: r | g << 8 | b << 16 | 255 << 24. False, changing nothing, when the layer is
// not canvas-sized, the region's plane cannot be allocated, or a free marker colour
// cannot be proven (with every colour present the marker collides and the block route
// paints more than the region); the caller then takes the block route.
bool paintConnectedInPlace(uint32_t opaquePaint, int32_t x, int32_t y, int32_t libraryTolerance);

// The memory this route keeps between fills (a bit a pixel and a few rows a thread);
// released with the canvas's buffers and on reset.
void releaseFillScratch() noexcept;

namespace testhooks {
// Off: every fill takes the block route, the reference this one is checked against.
void setFillInPlace(bool on) noexcept;
}  // namespace testhooks

}  // namespace dro
