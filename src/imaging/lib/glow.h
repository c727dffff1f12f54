// Glows of our imaging library on RGBA32 blocks, shaped by alpha: a soft halo of a
// colour outside the opaque shape, or a soft rim of it inside along the shape's edge.
// Beyond the block counts as transparent. Source and destination (both width × 4
// stride) must not overlap.
#pragma once

#include <cstdint>

namespace dro {

// The shape's alpha blurred (Gaussian of the given radius in pixels), doubled so the
// halo reaches full strength at the edge, times opacity 0..1, is a layer of the glow
// colour (red + green × 256 + blue × 65536) laid under the block.
bool ISE40_OuterGlowRGBA(const uint8_t* source, int32_t width, int32_t height, uint8_t* destination, double radius,
                         uint32_t colour, double opacity) noexcept;

// The transparency around the shape, blurred and doubled likewise, times opacity,
// mixes the glow colour into the pixels inside; alpha is kept.
bool ISE40_InnerGlowRGBA(const uint8_t* source, int32_t width, int32_t height, uint8_t* destination, double radius,
                         uint32_t colour, double opacity) noexcept;

}  // namespace dro
