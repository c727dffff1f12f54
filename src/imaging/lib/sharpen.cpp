#include "imaging/lib/sharpen.h"

#include <algorithm>
#include <cmath>

#include "core/cpu_features.h"
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

// roundClamp(in + amount x difference) without branches, so the loop runs in vector
// lanes: the same double operations, and clamping v + 0.5 to 0..255 before truncating
// gives what roundClamp gives for every v that is not a NaN (none is: amount is finite).
[[gnu::always_inline]] inline void addBackBody(const uint8_t* __restrict in, uint8_t* __restrict out, int32_t n,
                                               double amount, int32_t threshold) noexcept {
    for (int32_t i = 0; i < n; ++i) {
        const int difference = in[i] - out[i];
        const double v = static_cast<double>(in[i]) + amount * static_cast<double>(difference);
        const auto sharpened = static_cast<uint8_t>(static_cast<int32_t>(std::min(std::max(v + 0.5, 0.0), 255.0)));
        out[i] = std::abs(difference) > threshold ? sharpened : in[i];
    }
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
    const auto addBack = BaselineAndAvx2<addBackBody>::pick();
    for (int32_t y = 0; y < height; ++y) {
        const size_t at = static_cast<size_t>(y) * static_cast<size_t>(stride);
        addBack(source + at, destination + at, width * bytesPerPixel, amount, threshold);
    }
    return true;
}

void unsharpAddBack(const uint8_t* in, uint8_t* blurred, int32_t n, double amount, int32_t threshold) noexcept {
    BaselineAndAvx2<addBackBody>::pick()(in, blurred, n, amount, threshold);
}

}  // namespace dro
