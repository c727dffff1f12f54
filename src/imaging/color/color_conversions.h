// Colour-space conversions in double precision with bytes on the RGB side, shared by
// the in-house filters, the filter scripts and the buffer adjusters. RGB bytes are
// scaled by 1/255 on the way in; on the way out a value becomes a byte as
// trunc(value * 255), clamped only where a function says so.
//
// The HSL pair here is not the one the blend modes and the selection ranges use
// (composite/hsl.h, imaging/color/hsl_double.h): those weigh the hue distances with
// the single-precision constant 0.16666667, this one divides by 6 exactly. The two
// can disagree in the last bits of the hue, so each stays with its own callers.
#pragma once

#include <cstdint>

namespace dro::color {

struct Rgb8 { int32_t r, g, b; };
struct Hsv { double h, s, v; };   // h degrees, or -1 for grey
struct Hsl { double h, s, l; };   // h degrees 0..360
struct Xyz { double x, y, z; };
struct Lab { double l, a, b; };
struct Cmyk { double c, m, y, k; };

inline constexpr double kGreyHue = -1.0;

// Grey (max = min) reports hue -1 and saturation 0. Ties between equal maxima
// resolve in the order r, g, b.
Hsv rgbToHsv(Rgb8) noexcept;
// Hue 360 counts as 0; bytes truncated, not clamped.
Rgb8 hsvToRgb(Hsv) noexcept;

// Grey reports hue 0 and saturation 0.
Hsl rgbToHsl(Rgb8) noexcept;
// Each channel's hue is brought into 0..360 by a single step of 360.
Rgb8 hslToRgb(Hsl) noexcept;

// sRGB under D65, X/Y/Z scaled to 0..~100; negative components become 0.
Xyz rgbToXyz(Rgb8) noexcept;
// Bytes clamped to 0..255.
Rgb8 xyzToRgb(Xyz) noexcept;

Lab xyzToLab(Xyz) noexcept;
// Negative components become 0.
Xyz labToXyz(Lab) noexcept;
Rgb8 labToRgb(Lab) noexcept;

// c, m, y nominally 0..1; each byte = trunc((1 - value) * 255), not clamped.
Rgb8 cmyToRgb(double c, double m, double y) noexcept;
Cmyk cmyToCmyk(double c, double m, double y) noexcept;
Rgb8 cmykToRgb(Cmyk) noexcept;

}  // namespace dro::color
