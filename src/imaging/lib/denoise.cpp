#include "imaging/lib/denoise.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "imaging/lib/rank.h"

namespace dro {
namespace {

bool valid(const uint8_t* s, int32_t w, int32_t h, int32_t bpp, int32_t stride, const uint8_t* d) noexcept {
    return s && d && s != d && w > 0 && h > 0 && (bpp == 3 || bpp == 4) && stride >= w * bpp;
}

const uint8_t* pixel(const uint8_t* s, int32_t x, int32_t y, int32_t w, int32_t h, int32_t bpp,
                     int32_t stride) noexcept {
    return s + static_cast<size_t>(std::clamp(y, 0, h - 1)) * static_cast<size_t>(stride) +
           static_cast<size_t>(std::clamp(x, 0, w - 1) * bpp);
}

}  // namespace

bool is5_BilateralFilterImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                              int32_t stride, uint8_t* destination, double spatialSigma, double rangeSigma) noexcept {
    if (!valid(source, width, height, bytesPerPixel, stride, destination) || !(spatialSigma > 0.0) ||
        !(rangeSigma > 0.0) || spatialSigma > 50.0)
        return false;
    const int32_t r = std::max(1, static_cast<int32_t>(std::ceil(2.0 * spatialSigma)));
    std::vector<double> spatial(static_cast<size_t>((2 * r + 1) * (2 * r + 1)));
    for (int32_t dy = -r; dy <= r; ++dy)
        for (int32_t dx = -r; dx <= r; ++dx)
            spatial[static_cast<size_t>((dy + r) * (2 * r + 1) + dx + r)] =
                std::exp(-(dx * dx + dy * dy) / (2.0 * spatialSigma * spatialSigma));
    // Range weights by squared difference, which is at most 4 × 255².
    std::vector<double> range(4 * 255 * 255 + 1);
    for (size_t i = 0; i < range.size(); ++i) range[i] = std::exp(-static_cast<double>(i) / (2.0 * rangeSigma * rangeSigma));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* centre = pixel(source, x, y, width, height, bytesPerPixel, stride);
            double sum[4] = {}, total = 0.0;
            for (int32_t dy = -r; dy <= r; ++dy)
                for (int32_t dx = -r; dx <= r; ++dx) {
                    const uint8_t* p = pixel(source, x + dx, y + dy, width, height, bytesPerPixel, stride);
                    int32_t d2 = 0;
                    for (int32_t c = 0; c < bytesPerPixel; ++c) d2 += (p[c] - centre[c]) * (p[c] - centre[c]);
                    const double weight = spatial[static_cast<size_t>((dy + r) * (2 * r + 1) + dx + r)] *
                                          range[static_cast<size_t>(d2)];
                    total += weight;
                    for (int32_t c = 0; c < bytesPerPixel; ++c) sum[c] += weight * p[c];
                }
            uint8_t* out = destination + static_cast<size_t>(y) * static_cast<size_t>(stride) +
                           static_cast<size_t>(x * bytesPerPixel);
            for (int32_t c = 0; c < bytesPerPixel; ++c)
                out[c] = static_cast<uint8_t>(std::min(255.0, sum[c] / total + 0.5));
        }
    return true;
}

bool ISE3DustAndScratches(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                          int32_t stride, uint8_t* destination, int32_t radius, int32_t threshold) noexcept {
    if (!valid(source, width, height, bytesPerPixel, stride, destination)) return false;
    if (!rankFilter(source, width, height, bytesPerPixel, stride, destination, radius, RankKind::median)) return false;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* in = source + static_cast<size_t>(y) * static_cast<size_t>(stride);
        uint8_t* out = destination + static_cast<size_t>(y) * static_cast<size_t>(stride);
        for (int32_t i = 0; i < width * bytesPerPixel; ++i)
            if (std::abs(in[i] - out[i]) <= threshold) out[i] = in[i];
    }
    return true;
}

bool IS3DespeckleImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                       uint8_t* destination, int32_t edgeThreshold) noexcept {
    if (!valid(source, width, height, bytesPerPixel, stride, destination)) return false;
    if (!rankFilter(source, width, height, bytesPerPixel, stride, destination, 1, RankKind::median)) return false;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int32_t c = 0; c < bytesPerPixel; ++c) {
                int lo = 255, hi = 0;
                for (int32_t dy = -1; dy <= 1; ++dy)
                    for (int32_t dx = -1; dx <= 1; ++dx) {
                        if (!dx && !dy) continue;
                        const int v = pixel(source, x + dx, y + dy, width, height, bytesPerPixel, stride)[c];
                        lo = std::min(lo, v);
                        hi = std::max(hi, v);
                    }
                if (hi - lo > edgeThreshold) {
                    const size_t i = static_cast<size_t>(y) * static_cast<size_t>(stride) +
                                     static_cast<size_t>(x * bytesPerPixel + c);
                    destination[i] = source[i];
                }
            }
    return true;
}

}  // namespace dro
