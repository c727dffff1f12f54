#include "imaging/color/color_conversions.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "imaging/color/hsv_hue.h"
#include "imaging/color/rgb_to_hsl.h"

namespace dro::color {

namespace {

constexpr double kInv255 = 1.0 / 255.0;

// value * 255 truncated toward zero. Values far outside any colour range (or NaN)
// would make the conversion to int undefined, so they stop at the int32 limits.
int32_t toByte(double value) noexcept {
    const double scaled = value * 255.0;
    if (!(scaled == scaled)) return 0;
    constexpr double lo = std::numeric_limits<int32_t>::min();
    constexpr double hi = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(scaled, lo, hi));
}

int32_t toClampedByte(double value) noexcept { return std::clamp(toByte(value), 0, 255); }

double linearise(double c) noexcept { return c > 0.04045 ? std::pow((c + 0.055) / 1.055, 2.4) : c / 12.92; }

double compand(double c) noexcept { return c > 0.0031308 ? 1.055 * std::pow(c, 1.0 / 2.4) - 0.055 : 12.92 * c; }

double labF(double t) noexcept { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116.0; }

double labG(double t) noexcept {
    const double cube = t * t * t;
    return cube > 0.008856 ? cube : (t - 16.0 / 116.0) / 7.787;
}

}  // namespace

Hsv rgbToHsv(Rgb8 rgb) noexcept {
    const double r = rgb.r * kInv255, g = rgb.g * kInv255, b = rgb.b * kInv255;
    const double max = std::max(std::max(r, g), b);
    const double min = std::min(std::min(r, g), b);
    const double delta = max - min;
    if (delta == 0.0) return {kGreyHue, 0.0, max};
    return {hsvHue(r, g, b), delta / max, max};
}

Rgb8 hsvToRgb(Hsv hsv) noexcept {
    const double v = hsv.v, s = hsv.s;
    if (s == 0.0) {
        const int32_t byte = toByte(v);
        return {byte, byte, byte};
    }
    double h = hsv.h / 60.0;
    // Hue 360 is hue 0; hues further out are taken round the circle so the sector
    // always names one of the six.
    if (!(h >= 0.0 && h < 6.0)) h = h == h ? h - 6.0 * std::floor(h / 6.0) : 0.0;
    if (h >= 6.0) h = 0.0;
    const double i = std::floor(h);
    const double f = h - i;
    const double p = v * (1.0 - s);
    const double q = v * (1.0 - s * f);
    const double t = v * (1.0 - s * (1.0 - f));
    double r, g, b;
    switch (static_cast<int>(i)) {
        case 0: r = v, g = t, b = p; break;
        case 1: r = q, g = v, b = p; break;
        case 2: r = p, g = v, b = t; break;
        case 3: r = p, g = q, b = v; break;
        case 4: r = t, g = p, b = v; break;
        default: r = v, g = p, b = q; break;
    }
    return {toByte(r), toByte(g), toByte(b)};
}

Hsl rgbToHsl(Rgb8 rgb) noexcept {
    const double r = rgb.r * kInv255, g = rgb.g * kInv255, b = rgb.b * kInv255;
    const double max = std::max(std::max(r, g), b);
    const double min = std::min(std::min(r, g), b);
    const double l = (max + min) / 2.0;
    if (max == min) return {0.0, 0.0, l};
    const double delta = max - min;
    const double s = l < 0.5 ? delta / (max + min) : delta / (2.0 - max - min);
    const auto fromMax = [&](double c) { return ((max - c) / 6.0 + delta / 2.0) / delta; };
    const double dr = fromMax(r), dg = fromMax(g), db = fromMax(b);
    double h;
    if (r == max) {
        h = db - dg;
    } else if (g == max) {
        h = 1.0 / 3.0 + dr - db;
    } else {
        h = 2.0 / 3.0 + dg - dr;
    }
    if (h < 0.0) h += 1.0;
    if (h > 1.0) h -= 1.0;
    return {h * 360.0, s, l};
}

Rgb8 hslToRgb(Hsl hsl) noexcept {
    const double l = hsl.l, s = hsl.s;
    if (s == 0.0) {
        const int32_t byte = toByte(l);
        return {byte, byte, byte};
    }
    const double v2 = l < 0.5 ? l * (1.0 + s) : l + s - s * l;
    const double v1 = 2.0 * l - v2;
    return {toByte(hueToChannelIn(v1, v2, hsl.h + 120.0)), toByte(hueToChannelIn(v1, v2, hsl.h)),
            toByte(hueToChannelIn(v1, v2, hsl.h - 120.0))};
}

Xyz rgbToXyz(Rgb8 rgb) noexcept {
    const double r = linearise(rgb.r * kInv255) * 100.0;
    const double g = linearise(rgb.g * kInv255) * 100.0;
    const double b = linearise(rgb.b * kInv255) * 100.0;
    const double x = 0.4124 * r + 0.3576 * g + 0.1805 * b;
    const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    const double z = 0.0193 * r + 0.1192 * g + 0.9505 * b;
    return {std::max(x, 0.0), std::max(y, 0.0), std::max(z, 0.0)};
}

Rgb8 xyzToRgb(Xyz xyz) noexcept {
    const double x = xyz.x * 0.01, y = xyz.y * 0.01, z = xyz.z * 0.01;
    const double r = 3.2406 * x - 1.5372 * y - 0.4986 * z;
    const double g = -0.9689 * x + 1.8758 * y + 0.0415 * z;
    const double b = 0.0557 * x - 0.2040 * y + 1.0570 * z;
    return {toClampedByte(compand(r)), toClampedByte(compand(g)), toClampedByte(compand(b))};
}

Lab xyzToLab(Xyz xyz) noexcept {
    const double fx = labF(xyz.x / 95.047);
    const double fy = labF(xyz.y / 100.0);
    const double fz = labF(xyz.z / 108.883);
    return {116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

Xyz labToXyz(Lab lab) noexcept {
    const double fy = (lab.l + 16.0) / 116.0;
    const double fx = fy + lab.a / 500.0;
    const double fz = fy - lab.b / 200.0;
    return {std::max(95.047 * labG(fx), 0.0), std::max(100.0 * labG(fy), 0.0), std::max(108.883 * labG(fz), 0.0)};
}

Rgb8 labToRgb(Lab lab) noexcept { return xyzToRgb(labToXyz(lab)); }

Rgb8 cmyToRgb(double c, double m, double y) noexcept { return {toByte(1.0 - c), toByte(1.0 - m), toByte(1.0 - y)}; }

Cmyk cmyToCmyk(double c, double m, double y) noexcept {
    const double k = std::min(std::min(std::min(c, m), y), 1.0);
    if (k == 1.0) return {0.0, 0.0, 0.0, 1.0};
    return {(c - k) / (1.0 - k), (m - k) / (1.0 - k), (y - k) / (1.0 - k), k};
}

Rgb8 cmykToRgb(Cmyk cmyk) noexcept {
    const double k = cmyk.k;
    return cmyToRgb(k + (1.0 - k) * cmyk.c, k + (1.0 - k) * cmyk.m, k + (1.0 - k) * cmyk.y);
}

}  // namespace dro::color
