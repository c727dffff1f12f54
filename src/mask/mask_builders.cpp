#include "mask/mask_builders.h"

#include <cmath>
#include <cstdlib>

#include "imaging/color/hsl_double.h"
#include "imaging/color/hsv_hue.h"
#include "mask/mask_walk.h"

namespace dro {
namespace {

// The mask of a grey level c of the current layer: black editable, white
// protected; the two ends snap so a widened 0 or 255 gives exactly 65535 or 0.
constexpr uint16_t maskOfGrey(uint32_t c) noexcept {
    if (c > 65280) return 0;
    if (c < 256) return 65535;
    return static_cast<uint16_t>(65280 - c);
}

constexpr int32_t meanOfBytes(const uint8_t* p) noexcept { return (p[0] + p[1] + p[2]) / 3; }

}  // namespace

bool hueWithin(double h, double h0, double t) noexcept {
    return t >= std::abs(h - h0) || t >= std::abs(h - (h0 - 360.0)) || t >= std::abs(h - 360.0 - h0);
}

void createMaskFromImage() noexcept {
    forEachCurrentLayerPixel([](const uint16_t* px, uint16_t& m) {
        m = maskOfGrey((uint32_t{px[0]} + px[1] + px[2]) / 3);
    });
}

void createMaskFromImageLuma() noexcept {
    forEachCurrentLayerPixel([](const uint16_t* px, uint16_t& m) {
        m = maskOfGrey((3u * px[0] + 4u * px[1] + px[2]) >> 3);
    });
}

void createMaskFromAlpha() noexcept {
    forEachCurrentLayerPixel([](const uint16_t* px, uint16_t& m) { m = px[3]; });
}

void createMaskFromDiffRGBA32(const uint8_t* a, const uint8_t* b, int32_t value) noexcept {
    uint16_t* mask = maskPlane();
    if (!mask || !a || !b) return;
    const auto v = static_cast<uint16_t>(value);
    const size_t count = canvasPixelCount();
    for (size_t i = 0; i < count; ++i, a += 4, b += 4) {
        if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2] || a[3] != b[3]) mask[i] = v;
    }
}

void createMaskFromFloodMask(const uint8_t* map, int32_t amount) noexcept {
    markMatching(map, 1, amount, [](const uint8_t* p) { return *p == 1; });
}

void createMaskFromRGBAImageColor(const uint8_t* data, int32_t r, int32_t g, int32_t b, int32_t amount) noexcept {
    markMatching(data, 4, amount, [=](const uint8_t* p) { return p[0] == r && p[1] == g && p[2] == b; });
}

void createMaskFromRGB24ImageColor(const uint8_t* data, int32_t r, int32_t g, int32_t b, int32_t amount) noexcept {
    markMatching(data, 3, amount, [=](const uint8_t* p) { return p[0] == r && p[1] == g && p[2] == b; });
}

void createMaskFromRGBAImageColorRange(const uint8_t* data, int32_t r, int32_t g, int32_t b, int32_t tolerance,
                                       int32_t amount) noexcept {
    const int64_t t = percentTolerance8(tolerance);
    markMatching(data, 4, amount, [=](const uint8_t* p) {
        return std::llabs(int64_t{p[0]} - r) <= t && std::llabs(int64_t{p[1]} - g) <= t &&
               std::llabs(int64_t{p[2]} - b) <= t;
    });
}

void createMaskFromRGBAImageAlphaRange(const uint8_t* data, int32_t alpha, int32_t tolerance,
                                       int32_t amount) noexcept {
    const int64_t t = percentTolerance8(tolerance);
    markMatching(data, 4, amount, [=](const uint8_t* p) { return std::llabs(int64_t{p[3]} - alpha) <= t; });
}

void createMaskFromRGBAImageLuminanceRange(const uint8_t* data, int32_t r, int32_t g, int32_t b,
                                           int32_t tolerance, int32_t amount) noexcept {
    const int64_t t = percentTolerance8(tolerance);
    const int64_t key = (int64_t{r} + g + b) / 3;
    markMatching(data, 4, amount, [=](const uint8_t* p) { return std::llabs(meanOfBytes(p) - key) <= t; });
}

void createMaskFromRGBAImageHueRange(const uint8_t* data, int32_t r, int32_t g, int32_t b, int32_t tolerance,
                                     int32_t amount) noexcept {
    const double key = hsvHue8(r, g, b);
    // Whole degrees; 100 % is half a turn, which every hue is within.
    const auto t = static_cast<double>(static_cast<int64_t>(tolerance * 1.8));
    markMatching(data, 4, amount, [=](const uint8_t* p) { return hueWithin(hsvHue8(p[0], p[1], p[2]), key, t); });
}

void createMaskFromRGBAImageHSLRange(const uint8_t* data, int32_t r, int32_t g, int32_t b, double hueTolerance,
                                     double saturationTolerance, double lightnessTolerance,
                                     int32_t amount) noexcept {
    const HslDouble key = rgb8ToHslDouble(r, g, b);
    const double t = hueTolerance * 180.0;
    markMatching(data, 4, amount, [=](const uint8_t* p) {
        const HslDouble c = rgb8ToHslDouble(p[0], p[1], p[2]);
        return hueWithin(c.h, key.h, t) && std::abs(c.s - key.s) <= saturationTolerance &&
               std::abs(c.l - key.l) <= lightnessTolerance;
    });
}

}  // namespace dro
