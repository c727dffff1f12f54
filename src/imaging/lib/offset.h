// Moving an RGBA32 image within its own frame by whole pixels.
#pragma once

#include <cstdint>

namespace dro {

// What fills the pixels the moved image no longer covers.
enum class OffsetEdge : int32_t {
    Transparent = 0,  // transparent black
    Wrap = 1,         // the image continues from the opposite side
    Background = 2,   // the background colour
    RepeatEdge = 3,   // the nearest edge pixel
};

// Any other edge value counts as Background.
OffsetEdge offsetEdgeFromValue(int32_t value) noexcept;

// destination(x + dx, y + dy) = source(x, y); both width x height, stride width * 4,
// not overlapping. background points to 4 bytes R, G, B, A.
void offsetRgba32(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height, int32_t dx,
                  int32_t dy, OffsetEdge edge, const uint8_t* background) noexcept;

}  // namespace dro
