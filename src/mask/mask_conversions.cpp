#include "mask/mask_conversions.h"

#include <cstddef>

namespace dro {
namespace {

// Calls convert(out pixel, in pixel) for each of width x height pixels.
template <size_t OutBytes, size_t InBytes, class Convert>
void convertPixels(uint8_t* out, int32_t width, int32_t height, const uint8_t* in, Convert convert) noexcept {
    if (!out || !in || width <= 0 || height <= 0) return;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i, out += OutBytes, in += InBytes) convert(out, in);
}

}  // namespace

void rgbAlphaToRgb(uint8_t* out, int32_t width, int32_t height, const uint8_t* in) noexcept {
    convertPixels<3, 4>(out, width, height, in, [](uint8_t* o, const uint8_t* i) { o[0] = o[1] = o[2] = i[3]; });
}

void rgbToRgbAlpha(uint8_t* out, int32_t width, int32_t height, const uint8_t* in) noexcept {
    convertPixels<4, 3>(out, width, height, in,
                        [](uint8_t* o, const uint8_t* i) { o[3] = static_cast<uint8_t>((i[0] + i[1] + i[2]) / 3); });
}

void rgbToRgba(uint8_t* out, int32_t width, int32_t height, const uint8_t* in) noexcept {
    convertPixels<4, 3>(out, width, height, in, [](uint8_t* o, const uint8_t* i) {
        o[0] = i[0];
        o[1] = i[1];
        o[2] = i[2];
    });
}

void rgbaToRgb(uint8_t* out, int32_t width, int32_t height, const uint8_t* in) noexcept {
    convertPixels<3, 4>(out, width, height, in, [](uint8_t* o, const uint8_t* i) {
        o[0] = i[0];
        o[1] = i[1];
        o[2] = i[2];
    });
}

}  // namespace dro
