// Colour gradients on RGBA32 blocks (the effects library's entry names). Stops are
// 4-byte records blue, green, red, alpha at positions in percent, ascending; between
// two stops each byte is interpolated, before the first and after the last the end
// stop's colour holds. A gradient of zero length or radius takes the first stop's
// colour everywhere. Both return false, drawing nothing, for a null block, stops or
// positions, a count below 1, a block that is not RGBA32 or a short stride.
#pragma once

#include <cstdint>

// Along the line from (x0, y0) to (x1, y1): pixels project onto it, 0 % at the start.
bool ISE3GradientFillImageLinear(uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel,
                                 int32_t stride, double x0, double y0, double x1, double y1, const uint8_t* stops,
                                 const double* positions, int32_t count, int32_t flags, double opacity,
                                 int32_t reserved);

// Around the centre: 0 % at the centre, 100 % at the radius.
bool ISE3GradientFillImageRadial(uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel,
                                 int32_t stride, double radius, int32_t centreX, int32_t centreY,
                                 const uint8_t* stops, const double* positions, int32_t count, int32_t flags,
                                 double opacity, int32_t reserved);
