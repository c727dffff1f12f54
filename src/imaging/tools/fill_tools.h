// The paint bucket and the magic wand: find a region of the current layer from a
// clicked point (or by colour anywhere) and recolour it or select it in the mask.
#pragma once

#include <cstdint>

namespace dro {

// Paint bucket. mode: "Paint Non-connected", "Erase Non-connected", "Paint Connected",
// "Erase Connected", "Paint Alpha Connected", "Paint Alpha Non-Connected"; any other
// text does nothing. tolerance 0..50000. Erasing leaves an alpha-locked layer alone.
void floodFill(int32_t r, int32_t g, int32_t b, int32_t x, int32_t y, int32_t tolerance, const char* mode);

// Magic wand into the mask. mode: "Non-connected", "Color Range", "Luminance Range",
// "Hue Range", "HSL Range", "Connected", "Alpha Connected", "Alpha Non-connected".
void maskWand(int32_t x, int32_t y, int32_t tolerance, int32_t strengthPercent, const char* mode);

}  // namespace dro
