#include "imaging/lib/sharpen.h"

#include <algorithm>
#include <cmath>

#include "imaging/lib/blur.h"

namespace dro {
namespace {

bool valid(const uint8_t* s, int32_t w, int32_t h, int32_t bpp, int32_t stride, const uint8_t* d) noexcept {
    return s && d && s != d && w > 0 && h > 0 && (bpp == 3 || bpp == 4) && stride >= w * bpp;
}

uint8_t roundClamp(double v) noexcept {
    if (!(v > 0.0)) return 0;
    return v >= 255.0 ? 255 : static_cast<uint8_t>(v + 0.5);
}

template <bool Diagonals>
bool laplacianSharpen(const uint8_t* s, int32_t w, int32_t h, int32_t bpp, int32_t stride, uint8_t* d,
                      double amount) noexcept {
    if (!valid(s, w, h, bpp, stride, d) || !std::isfinite(amount)) return false;
    const auto at = [&](int32_t x, int32_t y, int32_t c) {
        return static_cast<int>(s[static_cast<size_t>(std::clamp(y, 0, h - 1)) * static_cast<size_t>(stride) +
                                  std::clamp(x, 0, w - 1) * bpp + c]);
    };
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            for (int32_t c = 0; c < bpp; ++c) {
                int sum = at(x - 1, y, c) + at(x + 1, y, c) + at(x, y - 1, c) + at(x, y + 1, c);
                if constexpr (Diagonals)
                    sum += at(x - 1, y - 1, c) + at(x + 1, y - 1, c) + at(x - 1, y + 1, c) + at(x + 1, y + 1, c);
                const double centre = at(x, y, c);
                const double mean = sum / (Diagonals ? 8.0 : 4.0);
                d[static_cast<size_t>(y) * static_cast<size_t>(stride) + x * bpp + c] =
                    roundClamp(centre + amount * (centre - mean));
            }
    return true;
}

}  // namespace

bool IS3SharpenImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                     uint8_t* destination, double amount) noexcept {
    return laplacianSharpen<false>(source, width, height, bytesPerPixel, stride, destination, amount);
}

bool ISE3SharpenImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                      uint8_t* destination, double amount) noexcept {
    return laplacianSharpen<true>(source, width, height, bytesPerPixel, stride, destination, amount);
}

bool IS3UnsharpMaskImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                         int32_t stride, uint8_t* destination, double radius, double amount,
                         int32_t threshold) noexcept {
    if (!valid(source, width, height, bytesPerPixel, stride, destination) || !std::isfinite(amount)) return false;
    const uint32_t channels = (1u << bytesPerPixel) - 1u;
    if (!is5_GaussianBlurImage(source, width, height, bytesPerPixel, stride, destination, stride, radius,
                               0x100u | channels))
        return false;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* in = source + static_cast<size_t>(y) * static_cast<size_t>(stride);
        uint8_t* out = destination + static_cast<size_t>(y) * static_cast<size_t>(stride);
        for (int32_t i = 0; i < width * bytesPerPixel; ++i) {
            const int difference = in[i] - out[i];
            out[i] = std::abs(difference) > threshold ? roundClamp(in[i] + amount * difference) : in[i];
        }
    }
    return true;
}

}  // namespace dro
