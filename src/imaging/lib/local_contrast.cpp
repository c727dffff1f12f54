#include "imaging/lib/local_contrast.h"

#include <cmath>
#include <vector>

#include "imaging/lib/blur.h"
#include "imaging/lib/pixel_block.h"

namespace dro {

double ISE40_FindImageMean(const uint8_t* grey, int32_t width, int32_t height) noexcept {
    if (!grey || width <= 0 || height <= 0) return 0.0;
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    uint64_t sum = 0;
    for (size_t i = 0; i < n; ++i) sum += grey[i];
    return static_cast<double>(sum) / static_cast<double>(n);
}

double ISE40_FindImageStandardDeviation(const uint8_t* grey, int32_t width, int32_t height, double mean) noexcept {
    if (!grey || width <= 0 || height <= 0) return 0.0;
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    double sum = 0.0;
    for (size_t i = 0; i < n; ++i) sum += (grey[i] - mean) * (grey[i] - mean);
    return std::sqrt(sum / static_cast<double>(n));
}

bool ISE40_LocalHistogramEnhancement(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                                     int32_t stride, uint8_t* destination, double mean, double deviation,
                                     int32_t radius, double gain, double meanLimit, double lowDeviation,
                                     double highDeviation) noexcept try {
    const PixelBlock in{source, width, height, bytesPerPixel, stride};
    if (!in.valid() || !destination || radius < 1 || radius > 256 || !std::isfinite(mean) ||
        !std::isfinite(deviation) || !std::isfinite(gain) || !std::isfinite(meanLimit) ||
        !std::isfinite(lowDeviation) || !std::isfinite(highDeviation))
        return false;
    const std::vector<uint8_t> grey = in.grey();
    // Summed-area tables of the grey and its square: window sums in constant time.
    const size_t tw = static_cast<size_t>(width) + 1;
    std::vector<uint64_t> sum(tw * (static_cast<size_t>(height) + 1)), squares(sum.size());
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint64_t g = grey[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
            const size_t i = (static_cast<size_t>(y) + 1) * tw + static_cast<size_t>(x) + 1;
            sum[i] = g + sum[i - 1] + sum[i - tw] - sum[i - tw - 1];
            squares[i] = g * g + squares[i - 1] + squares[i - tw] - squares[i - tw - 1];
        }
    const auto box = [&](const std::vector<uint64_t>& t, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        return t[static_cast<size_t>(y1) * tw + static_cast<size_t>(x1)] - t[static_cast<size_t>(y0) * tw + static_cast<size_t>(x1)] -
               t[static_cast<size_t>(y1) * tw + static_cast<size_t>(x0)] + t[static_cast<size_t>(y0) * tw + static_cast<size_t>(x0)];
    };
    in.copyTo(destination);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const int32_t x0 = std::max(0, x - radius), y0 = std::max(0, y - radius);
            const int32_t x1 = std::min(width, x + radius + 1), y1 = std::min(height, y + radius + 1);
            const double n = static_cast<double>((x1 - x0) * (y1 - y0));
            const double m = static_cast<double>(box(sum, x0, y0, x1, y1)) / n;
            const double s = std::sqrt(std::max(0.0, static_cast<double>(box(squares, x0, y0, x1, y1)) / n - m * m));
            if (m > meanLimit * mean || s <= 0.0 || s < lowDeviation * deviation || s > highDeviation * deviation) continue;
            uint8_t* out = destination + in.offset(x, y);
            for (int c = 0; c < 3; ++c) out[c] = clampByte(out[c] * gain);
        }
    return true;
} catch (...) {
    return false;
}

bool is5_ContrastMaskImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                           int32_t stride, uint8_t* destination, double radius, double amount) noexcept try {
    const PixelBlock in{source, width, height, bytesPerPixel, stride};
    if (!in.valid() || !destination || !std::isfinite(amount)) return false;
    std::vector<uint8_t> grey = in.grey();
    if (!is5_GaussianBlurImage(grey.data(), width, height, 1, width, grey.data(), width, radius, 1)) return false;
    amount = std::clamp(amount, 0.0, 2.0);
    in.copyTo(destination);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const double shift = amount * (128 - grey[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]);
            uint8_t* out = destination + in.offset(x, y);
            for (int c = 0; c < 3; ++c) out[c] = clampByte(out[c] + shift);
        }
    return true;
} catch (...) {
    return false;
}

}  // namespace dro
