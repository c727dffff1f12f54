#include "imaging/color/buffer_adjust.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "imaging/color/color_conversions.h"

namespace dro {

namespace {

// One step of 360 brings any hue from a shift within a turn back into 0..360. A
// shift of a turn or more would leave it outside, where the HSL channels go
// negative and would wrap round as bytes, so such hues are reduced the whole way.
double wrapShiftedHue(double hue) noexcept {
    if (hue > 360.0) {
        hue -= 360.0;
    } else if (hue < 0.0) {
        hue += 360.0;
    }
    if (hue < 0.0 || hue > 360.0) hue -= 360.0 * std::floor(hue / 360.0);
    return hue;
}

double clampUnit(double v) noexcept { return std::clamp(v, 0.0, 1.0); }

uint8_t storeByte(int32_t v) noexcept { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

template <class Adjust>
void forEachPixel(uint8_t* rgba, int32_t width, int32_t height, Adjust&& adjust) noexcept {
    if (!rgba || width <= 0 || height <= 0) return;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    for (std::size_t i = 0; i < count; ++i) {
        uint8_t* px = rgba + i * 4;
        const color::Rgb8 out = adjust(color::Rgb8{px[0], px[1], px[2]});
        px[0] = storeByte(out.r);
        px[1] = storeByte(out.g);
        px[2] = storeByte(out.b);
    }
}

}  // namespace

void processBufferHslAdjust(uint8_t* rgba, int32_t width, int32_t height, int32_t hueShift,
                            int32_t saturationShift, int32_t lightnessShift) noexcept {
    const double ds = saturationShift * 0.01;
    const double dl = lightnessShift * 0.01;
    forEachPixel(rgba, width, height, [&](color::Rgb8 in) {
        color::Hsl hsl = color::rgbToHsl(in);
        hsl.h = wrapShiftedHue(hsl.h + hueShift);
        hsl.s = clampUnit(hsl.s + ds);
        hsl.l = clampUnit(hsl.l + dl);
        return color::hslToRgb(hsl);
    });
}

void processBufferHsvAdjust(uint8_t* rgba, int32_t width, int32_t height, int32_t hueShift,
                            int32_t saturationShift, int32_t valueShift) noexcept {
    const double ds = saturationShift * 0.01;
    const double dv = valueShift * 0.01;
    forEachPixel(rgba, width, height, [&](color::Rgb8 in) {
        color::Hsv hsv = color::rgbToHsv(in);
        if (hsv.h == color::kGreyHue) {
            // Grey has no hue to turn and no saturation to change.
            hsv.h = 0.0;
            hsv.s = 0.0;
        } else {
            hsv.h = wrapShiftedHue(hsv.h + hueShift);
            hsv.s = clampUnit(hsv.s + ds);
        }
        hsv.v = clampUnit(hsv.v + dv);
        return color::hsvToRgb(hsv);
    });
}

}  // namespace dro
