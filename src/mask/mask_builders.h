// Building the mask from the current layer, from host images and colours, from
// ranges of colour, alpha, luminance, hue or HSL, and from flood maps.
//
// Host blocks are canvas-sized and tightly packed (RGBA32 stride width x 4, RGB24
// width x 3). Builders that take an amount give matching pixels the set value
// (65535 - amount) * 256 kept to 16 bits; other pixels keep their mask value.
// Tolerances in percent compare against trunc(percent * 2.56) in 8-bit units.
#pragma once

#include <cstdint>

namespace dro {

// From the current layer: its grey level (mean, or luma), or its alpha.
void createMaskFromImage() noexcept;
void createMaskFromImageLuma() noexcept;
void createMaskFromAlpha() noexcept;

// value (low 16 bits) wherever any byte of a and b differs.
void createMaskFromDiffRGBA32(const uint8_t* a, const uint8_t* b, int32_t value) noexcept;
// The set value where the flood map is 1.
void createMaskFromFloodMask(const uint8_t* map, int32_t amount) noexcept;

void createMaskFromRGBAImageColor(const uint8_t* data, int32_t r, int32_t g, int32_t b, int32_t amount) noexcept;
void createMaskFromRGB24ImageColor(const uint8_t* data, int32_t r, int32_t g, int32_t b, int32_t amount) noexcept;
void createMaskFromRGBAImageColorRange(const uint8_t* data, int32_t r, int32_t g, int32_t b, int32_t tolerance,
                                       int32_t amount) noexcept;
void createMaskFromRGBAImageAlphaRange(const uint8_t* data, int32_t alpha, int32_t tolerance,
                                       int32_t amount) noexcept;
void createMaskFromRGBAImageLuminanceRange(const uint8_t* data, int32_t r, int32_t g, int32_t b,
                                           int32_t tolerance, int32_t amount) noexcept;
// Tolerance in percent of a half turn (100 = 180 degrees, truncated to whole degrees).
void createMaskFromRGBAImageHueRange(const uint8_t* data, int32_t r, int32_t g, int32_t b, int32_t tolerance,
                                     int32_t amount) noexcept;
// Tolerances as fractions: hue of a half turn (not truncated), saturation and
// lightness on their 0..1 scales.
void createMaskFromRGBAImageHSLRange(const uint8_t* data, int32_t r, int32_t g, int32_t b, double hueTolerance,
                                     double saturationTolerance, double lightnessTolerance,
                                     int32_t amount) noexcept;

// Whether hue h lies within t degrees of h0, measured straight or across the 0/360
// seam either way. A grey hue of -1 is an ordinary angle here, next to 0 and 359.
bool hueWithin(double h, double h0, double t) noexcept;

}  // namespace dro
