// Fingerprint ridges of our imaging library on one grey byte per pixel.
#pragma once

#include <cstdint>

namespace dro {

// Ridges that follow the picture's brightness contours, like the lines of a
// fingerprint: the grey, smoothed (Gaussian of smoothing pixels; 0 skips it), becomes
// 127.5 + 127.5 cos(2π × ridges × g ÷ 255), rounded. ridges 0.5..128 is the number of
// ridge lines across the grey range. grey and out are width × height bytes and may be
// the same block.
bool ISE3Fingerprint(const uint8_t* grey, int32_t width, int32_t height, uint8_t* out, double ridges,
                     double smoothing) noexcept;

}  // namespace dro
