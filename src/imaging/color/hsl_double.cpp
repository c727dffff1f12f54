#include "imaging/color/hsl_double.h"

#include <algorithm>

namespace dro {

HslDouble rgbToHslDouble(double r, double g, double b) noexcept {
    const double max = std::max(std::max(r, g), b);
    const double min = std::min(std::min(r, g), b);
    const double l = (max + min) / 2.0;
    const double delta = max - min;
    if (delta == 0.0) return {0.0, 0.0, l};

    const double s = l < 0.5 ? delta / (max + min) : delta / (2.0 - max - min);

    // Distance of each channel from the maximum, in sixths of a turn. The constant is
    // the single-precision conversion's, kept so both give the same hue.
    const auto fromMax = [&](double c) { return ((max - c) * 0.16666667 + delta / 2.0) / delta; };
    const double dr = fromMax(r);
    const double dg = fromMax(g);
    const double db = fromMax(b);

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

HslDouble rgb8ToHslDouble(int32_t r, int32_t g, int32_t b) noexcept {
    constexpr double k = 1.0 / 255.0;
    return rgbToHslDouble(r * k, g * k, b * k);
}

}  // namespace dro
