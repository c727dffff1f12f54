// Turning an RGBA32 image about its centre within its own frame.
#pragma once

#include <cstdint>

namespace dro {

// Turns the width x height RGBA32 image (stride width * 4) in place by degrees,
// counter-clockwise as seen on screen (y down), and scales it by scalePercent / 100
// about the centre. Bilinear on premultiplied colour, so transparent pixels lend no
// colour; what falls outside the source becomes transparent black. Multiples of 90
// degrees at 100 percent move square images' pixels exactly. False for bad arguments
// or a failed allocation (the image is then unchanged).
bool rotateRgba32(uint8_t* image, int32_t width, int32_t height, int32_t degrees, int32_t scalePercent) noexcept;

}  // namespace dro
