#include "imaging/lib/colour_ops.h"

#include <algorithm>
#include <cmath>

namespace dro {
namespace {

uint8_t roundClamp(double v) noexcept {
    if (!(v > 0.0)) return 0;
    return v >= 255.0 ? 255 : static_cast<uint8_t>(v + 0.5);
}

uint32_t grey(const uint8_t* px) noexcept { return (77u * px[0] + 150u * px[1] + 29u * px[2] + 128u) >> 8; }

double channelOf(uint32_t colour, int c) noexcept { return static_cast<double>((colour >> (8 * c)) & 0xFFu); }

template <class PerPixel>
void eachPixel(uint8_t* block, int32_t width, int32_t height, int32_t stride, PerPixel&& f) noexcept {
    if (!block || width <= 0 || height <= 0 || stride < width * 4) return;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* px = block + static_cast<size_t>(y) * static_cast<size_t>(stride);
        for (int32_t x = 0; x < width; ++x, px += 4) f(px);
    }
}

}  // namespace

void IS3ModifyImageSaturation(uint8_t* block, int32_t width, int32_t height, int32_t stride, double factor) noexcept {
    eachPixel(block, width, height, stride, [&](uint8_t* px) {
        const double g = grey(px);
        for (int c = 0; c < 3; ++c) px[c] = roundClamp(g + (px[c] - g) * factor);
    });
}

void ISE40_AdjustImageColorBalance(uint8_t* block, int32_t width, int32_t height, int32_t stride, int32_t cyanRed,
                                   int32_t magentaGreen, int32_t yellowBlue, int32_t mode,
                                   bool preserveLuminosity) noexcept {
    const double shift[3] = {static_cast<double>(cyanRed), static_cast<double>(magentaGreen),
                             static_cast<double>(yellowBlue)};
    eachPixel(block, width, height, stride, [&](uint8_t* px) {
        const double t = grey(px) / 255.0;
        const double weight = mode == 1 ? 1.0 - t : (mode == 2 ? t : 4.0 * t * (1.0 - t));
        double v[3];
        for (int c = 0; c < 3; ++c) v[c] = px[c] + shift[c] * weight;
        if (preserveLuminosity) {
            const double moved = (77.0 * v[0] + 150.0 * v[1] + 29.0 * v[2]) / 256.0 - t * 255.0;
            for (double& c : v) c -= moved;
        }
        for (int c = 0; c < 3; ++c) px[c] = roundClamp(v[c]);
    });
}

void ISE3DuotoneImage(uint8_t* block, int32_t width, int32_t height, int32_t stride, uint32_t dark, uint32_t light,
                      double amount) noexcept {
    amount = std::clamp(amount, 0.0, 1.0);
    eachPixel(block, width, height, stride, [&](uint8_t* px) {
        const double g = grey(px);
        for (int c = 0; c < 3; ++c) {
            const double d = channelOf(dark, c), l = channelOf(light, c);
            double ramp;
            if (g < 85.0)
                ramp = d * g / 85.0;
            else if (g < 170.0)
                ramp = d + (l - d) * (g - 85.0) / 85.0;
            else
                ramp = l + (255.0 - l) * (g - 170.0) / 85.0;
            px[c] = roundClamp(px[c] + (ramp - px[c]) * amount);
        }
    });
}

void ISE3AdjustTint(uint8_t* block, int32_t width, int32_t height, int32_t stride, uint32_t tint,
                    double amount) noexcept {
    amount = std::clamp(amount, 0.0, 1.0);
    eachPixel(block, width, height, stride, [&](uint8_t* px) {
        const double g = grey(px);
        for (int c = 0; c < 3; ++c) px[c] = roundClamp(px[c] + (g * channelOf(tint, c) / 255.0 - px[c]) * amount);
    });
}

void ISE3InvertImage(uint8_t* block, int32_t width, int32_t height, int32_t stride) noexcept {
    eachPixel(block, width, height, stride, [](uint8_t* px) {
        for (int c = 0; c < 3; ++c) px[c] = static_cast<uint8_t>(255 - px[c]);
    });
}

void ISE3PosterizeRGB(uint8_t* block, int32_t width, int32_t height, int32_t stride, int32_t levels) noexcept {
    levels = std::clamp(levels, 2, 256);
    uint8_t table[256];
    for (int i = 0; i < 256; ++i) {
        const int step = (i * (levels - 1) + 127) / 255;
        table[i] = static_cast<uint8_t>((step * 255 + (levels - 1) / 2) / (levels - 1));
    }
    eachPixel(block, width, height, stride, [&](uint8_t* px) {
        for (int c = 0; c < 3; ++c) px[c] = table[px[c]];
    });
}

void ISE3SolarizeImage(uint8_t* block, int32_t width, int32_t height, int32_t stride, int32_t threshold) noexcept {
    eachPixel(block, width, height, stride, [&](uint8_t* px) {
        for (int c = 0; c < 3; ++c)
            if (px[c] > threshold) px[c] = static_cast<uint8_t>(255 - px[c]);
    });
}

void ISE3ThresholdFilter(uint8_t* block, int32_t width, int32_t height, int32_t stride, int32_t threshold,
                         uint32_t dark, uint32_t light) noexcept {
    eachPixel(block, width, height, stride, [&](uint8_t* px) {
        const uint32_t colour = static_cast<int32_t>(grey(px)) >= threshold ? light : dark;
        for (int c = 0; c < 3; ++c) px[c] = static_cast<uint8_t>(channelOf(colour, c));
    });
}

void IS3GreyToColourChannels(uint8_t* block, int32_t width, int32_t height, int32_t stride) noexcept {
    eachPixel(block, width, height, stride, [](uint8_t* px) { px[0] = px[1] = px[2] = static_cast<uint8_t>(grey(px)); });
}

}  // namespace dro
