// Placing one pixel block onto another.
#pragma once

#include <cstdint>

namespace dro {

// Places the source block with its top-left corner at (x, y) in the destination,
// clipped to the destination. Flags 0 copies the bytes unchanged for any pixel size;
// flags 1 (RGBA32 only) composites the source over the destination by its alpha
// scaled by opacity. Returns 1 when anything was placed, else 0.
int IS3OverlayImage(void* destination, uint32_t destinationWidth, uint32_t destinationHeight,
                    uint32_t bytesPerPixel, uint32_t destinationStride, const void* source, uint32_t sourceWidth,
                    uint32_t sourceHeight, uint32_t sourceStride, int32_t x, int32_t y, double opacity,
                    uint32_t flags) noexcept;

// Tiles the tw x th RGBA32 tile over the w x h RGBA32 block (rows packed) from (x0, y0)
// (zero or negative) on; the block is cleared first.
void tileRgba32(uint8_t* block, int32_t w, int32_t h, const uint8_t* tile, int32_t tw, int32_t th, int32_t x0,
                int32_t y0) noexcept;

}  // namespace dro
