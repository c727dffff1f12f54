#include "imaging/color/hsl_double.h"

#include "imaging/color/rgb_to_hsl.h"

namespace dro {

HslDouble rgbToHslDouble(double r, double g, double b) noexcept {
    const HslOf<double> hsl = rgbToHslIn(r, g, b);
    return {hsl.h, hsl.s, hsl.l};
}

HslDouble rgb8ToHslDouble(int32_t r, int32_t g, int32_t b) noexcept {
    constexpr double k = 1.0 / 255.0;
    return rgbToHslDouble(r * k, g * k, b * k);
}

}  // namespace dro
