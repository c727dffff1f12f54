// Plain conversions between the host's RGBA32 and RGB24 blocks, tightly packed,
// width x height pixels. Sizes that are not positive convert nothing.
#pragma once

#include <cstdint>

namespace dro {

// Grey picture of the alpha: each out pixel is (A, A, A).
void rgbAlphaToRgb(uint8_t* out, int32_t width, int32_t height, const uint8_t* in) noexcept;
// Alpha from the grey level (mean of R, G, B); out colour kept.
void rgbToRgbAlpha(uint8_t* out, int32_t width, int32_t height, const uint8_t* in) noexcept;
// Colour copied; out alpha kept.
void rgbToRgba(uint8_t* out, int32_t width, int32_t height, const uint8_t* in) noexcept;
void rgbaToRgb(uint8_t* out, int32_t width, int32_t height, const uint8_t* in) noexcept;

}  // namespace dro
