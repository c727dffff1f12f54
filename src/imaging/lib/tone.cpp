#include "imaging/lib/tone.h"

#include <algorithm>
#include <cmath>

namespace dro {
namespace {

uint8_t roundClamp(double v) noexcept {
    if (!(v > 0.0)) return 0;
    return v >= 255.0 ? 255 : static_cast<uint8_t>(v + 0.5);
}

}  // namespace

void IS40_ApplyLUTsToImage(uint8_t* block, int32_t width, int32_t height, int32_t stride, const ToneTable* red,
                           const ToneTable* green, const ToneTable* blue, const ToneTable* alpha) noexcept {
    if (!block || width <= 0 || height <= 0 || stride < width * 4) return;
    const std::array<const ToneTable*, 4> tables{red, green, blue, alpha};
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = block + static_cast<size_t>(y) * static_cast<size_t>(stride);
        for (int c = 0; c < 4; ++c) {
            const ToneTable* t = tables[static_cast<size_t>(c)];
            if (!t) continue;
            for (int32_t x = 0; x < width; ++x) row[x * 4 + c] = (*t)[row[x * 4 + c]];
        }
    }
}

std::array<uint32_t, 256> is5_GetBrightnessHistogram(const uint8_t* block, int32_t width, int32_t height,
                                                     int32_t stride) noexcept {
    std::array<uint32_t, 256> counts{};
    if (!block || width <= 0 || height <= 0 || stride < width * 4) return counts;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* px = block + static_cast<size_t>(y) * static_cast<size_t>(stride);
        for (int32_t x = 0; x < width; ++x, px += 4) ++counts[(77u * px[0] + 150u * px[1] + 29u * px[2] + 128u) >> 8];
    }
    return counts;
}

ToneTable levelsInputTable(int32_t black, int32_t white) noexcept {
    black = std::clamp(black, 0, 255);
    white = std::clamp(white, 0, 255);
    if (white < black) std::swap(black, white);
    ToneTable t{};
    if (white - black <= 1) {
        for (int i = 0; i < 256; ++i) t[static_cast<size_t>(i)] = i < black ? 0 : 255;
        return t;
    }
    const int32_t mid = black + (white - black) / 2;
    for (int32_t i = 0; i < 256; ++i) {
        int32_t v = 255;
        if (i < black)
            v = 0;
        else if (i < mid)
            v = (i - black) * 127 / (mid - black);
        else if (i < white)
            v = 127 + (i - mid) * 127 / (white - mid);
        t[static_cast<size_t>(i)] = static_cast<uint8_t>(std::min(v, 255));
    }
    return t;
}

ToneTable levelsOutputTable(int32_t lo, int32_t hi) noexcept {
    lo = std::clamp(lo, 0, 255);
    hi = std::clamp(hi, 0, 255);
    ToneTable t{};
    for (int32_t i = 0; i < 256; ++i)
        t[static_cast<size_t>(i)] = static_cast<uint8_t>(std::clamp(lo + i * (hi - lo) / 255, 0, 255));
    return t;
}

ToneTable brightnessContrastTable(double brightness, double contrast) noexcept {
    brightness = std::clamp(brightness, -1.0, 1.0);
    contrast = std::clamp(contrast, -1.0, 1.0);
    const double k = contrast < 0.0 ? 1.0 + contrast : 1.0 / (1.0 - 0.99 * contrast);
    ToneTable t{};
    for (int i = 0; i < 256; ++i) t[static_cast<size_t>(i)] = roundClamp((i - 128) * k + 128 + brightness * 255.0);
    return t;
}

ToneTable gammaTable(double gamma) noexcept {
    ToneTable t{};
    if (!(gamma > 0.0)) gamma = 1.0;
    for (int i = 0; i < 256; ++i) t[static_cast<size_t>(i)] = roundClamp(255.0 * std::pow(i / 255.0, 1.0 / gamma));
    return t;
}

ToneTable equalizeTable(const std::array<uint32_t, 256>& counts) noexcept {
    ToneTable t{};
    uint64_t total = 0;
    for (uint32_t c : counts) total += c;
    uint64_t below = 0;
    for (int i = 0; i < 256; ++i) {
        below += counts[static_cast<size_t>(i)];
        t[static_cast<size_t>(i)] = total ? static_cast<uint8_t>((below * 255 + total / 2) / total) : static_cast<uint8_t>(i);
    }
    return t;
}

ToneTable stretchTable(const std::array<uint32_t, 256>& counts) noexcept {
    int lo = 0, hi = 255;
    while (lo < 255 && counts[static_cast<size_t>(lo)] == 0) ++lo;
    while (hi > 0 && counts[static_cast<size_t>(hi)] == 0) --hi;
    ToneTable t{};
    for (int i = 0; i < 256; ++i)
        t[static_cast<size_t>(i)] = hi <= lo ? static_cast<uint8_t>(i)
                                             : static_cast<uint8_t>(std::clamp((i - lo) * 255 / (hi - lo), 0, 255));
    return t;
}

}  // namespace dro
