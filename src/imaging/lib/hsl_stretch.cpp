#include "imaging/lib/hsl_stretch.h"

#include <algorithm>

#include "imaging/color/color_conversions.h"

namespace dro {

void IS3BrightnessHistogramStretchImageInHSL(uint8_t* block, int32_t width, int32_t height, int32_t stride) noexcept {
    if (!block || width <= 0 || height <= 0 || stride < width * 4) return;
    const auto pixel = [&](int32_t x, int32_t y) { return block + static_cast<size_t>(y) * static_cast<size_t>(stride) + static_cast<size_t>(x) * 4; };
    // Lightness is (max + min) ÷ 2 of the channels: its range in bytes needs no conversion.
    int32_t lo = 510, hi = 0;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = pixel(x, y);
            const int32_t sum = std::max({p[0], p[1], p[2]}) + std::min({p[0], p[1], p[2]});
            lo = std::min(lo, sum);
            hi = std::max(hi, sum);
        }
    if (hi <= lo || (lo == 0 && hi == 510)) return;
    const double low = lo / 510.0, scale = 510.0 / (hi - lo);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = pixel(x, y);
            color::Hsl hsl = color::rgbToHsl({p[0], p[1], p[2]});
            hsl.l = std::clamp((hsl.l - low) * scale, 0.0, 1.0);
            const color::Rgb8 rgb = color::hslToRgb(hsl);
            p[0] = static_cast<uint8_t>(std::clamp(rgb.r, 0, 255));
            p[1] = static_cast<uint8_t>(std::clamp(rgb.g, 0, 255));
            p[2] = static_cast<uint8_t>(std::clamp(rgb.b, 0, 255));
        }
}

}  // namespace dro
