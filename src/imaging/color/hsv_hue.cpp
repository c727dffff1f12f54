#include "imaging/color/hsv_hue.h"

#include <algorithm>

namespace dro {

double hsvHue(double r, double g, double b) noexcept {
    const double max = std::max(std::max(r, g), b);
    const double min = std::min(std::min(r, g), b);
    const double delta = max - min;
    if (delta == 0.0) return kGreyHsvHue;
    double h;
    if (r == max) {
        h = (g - b) / delta;
    } else if (g != max) {
        h = (r - g) / delta + 4.0;
    } else {
        h = (b - r) / delta + 2.0;
    }
    h *= 60.0;
    return h < 0.0 ? h + 360.0 : h;
}

double hsvHue8(int32_t r, int32_t g, int32_t b) noexcept {
    constexpr double k = 1.0 / 255.0;
    return hsvHue(r * k, g * k, b * k);
}

}  // namespace dro
