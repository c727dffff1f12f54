// Grain: the 20 interchangeable 8-bit buffers that decide, per brush pixel, whether a
// dab paints there. Filled from the random byte tables or from a grain image, and
// hopped between so that successive dabs do not repeat one pattern.
#pragma once

#include <cstdint>

namespace dro {

// Fills the 20 grain buffers with random cells for the current size and settings and
// leaves the cursor at the start of the last buffer. Does nothing without a canvas.
void buildRandomGrain();

// Replaces the grain buffers from a grain script or image file. False when the path is
// neither (the buffers then keep what they held).
bool buildGrainFromFile(const char* path);

// Fills the grain buffers with N x N windows (N = size + 25) of a width x height grey
// image at random offsets, then restarts the grain countdown.
void fillGrainFromGrey(const uint8_t* grey, int32_t width, int32_t height);

// At the start of a dab: when grain is on and the countdown has run out, move the
// cursor to a random offset in a random buffer and restart the countdown.
void advanceGrain() noexcept;

// The grain value for the dab's top-left pixel (rows advance by maxBrushSize), or null
// without grain buffers. grainCursorBytes() is how many bytes may be read from it.
const uint8_t* grainCursor() noexcept;
int64_t grainCursorBytes() noexcept;

}  // namespace dro
