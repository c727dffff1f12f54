// Content-aware width change: seams of least visual energy, one pixel per row and
// 8-connected from row to row, are removed (narrower) or doubled (wider).
#pragma once

#include <cstdint>
#include <vector>

// RGBA32 source (bytesPerPixel must be 4) to a destination of (width + widthChange)
// x height at destinationStride. mask, when given, is a G16 plane with maskRowLength
// values per row laid over the source: 0 protects a pixel, 65535 leaves it free;
// seams avoid protected pixels as long as any other way exists. effort (0..1000)
// and flags are accepted for the library's signature; every seam is found exactly.
// False for bad arguments, a width that would drop below 1, or a failed allocation.
bool ISE40_SeamCarve(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                     int32_t sourceStride, const uint16_t* mask, int32_t maskRowLength, uint8_t* destination,
                     int32_t destinationStride, int32_t widthChange, int32_t effort, int32_t flags);

namespace dro {
// The same for RGBA32; carvedMask, when given, receives the mask carried along with
// the pixels (new width x height; 65535 where there was no mask). Widening in more
// than one round (more than doubling) carries the mask through the first round only.
bool seamCarveRgba32(const uint8_t* source, int32_t width, int32_t height, int32_t sourceStride,
                     const uint16_t* mask, int32_t maskRowLength, uint8_t* destination, int32_t destinationStride,
                     int32_t widthChange, std::vector<uint16_t>* carvedMask);
}  // namespace dro
