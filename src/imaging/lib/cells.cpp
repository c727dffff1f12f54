#include "imaging/lib/cells.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "imaging/lib/pixel_block.h"

namespace dro {
namespace {

constexpr int32_t kMaxCell = 4096;

enum class Weight : bool { even, byAlpha };

// Calls draw(x0, y0, x1, y1, mean) for each cell, with the cell's rounded mean per
// channel; weighted by alpha, the colour of transparent pixels counts for nothing (a
// wholly transparent cell takes the plain mean).
template <class Draw>
bool forEachCell(const PixelBlock& in, const uint8_t* destination, int32_t cell, Weight weight, Draw&& draw) noexcept {
    if (!in.valid() || !destination || cell < 1 || cell > kMaxCell) return false;
    const bool byAlpha = weight == Weight::byAlpha && in.bytesPerPixel == 4;
    for (int32_t y0 = 0; y0 < in.height; y0 += cell)
        for (int32_t x0 = 0; x0 < in.width; x0 += cell) {
            const int32_t x1 = std::min(in.width, x0 + cell), y1 = std::min(in.height, y0 + cell);
            uint64_t sum[4] = {}, weighted[3] = {};
            for (int32_t y = y0; y < y1; ++y)
                for (int32_t x = x0; x < x1; ++x) {
                    const uint8_t* p = in.at(x, y);
                    for (int32_t c = 0; c < in.bytesPerPixel; ++c) sum[c] += p[c];
                    if (byAlpha)
                        for (int c = 0; c < 3; ++c) weighted[c] += uint64_t{p[c]} * p[3];
                }
            const uint64_t count = static_cast<uint64_t>(x1 - x0) * static_cast<uint64_t>(y1 - y0);
            uint8_t mean[4] = {};
            for (int32_t c = 0; c < in.bytesPerPixel; ++c) mean[c] = static_cast<uint8_t>((sum[c] + count / 2) / count);
            if (byAlpha && sum[3] > 0)
                for (int c = 0; c < 3; ++c) mean[c] = static_cast<uint8_t>((weighted[c] + sum[3] / 2) / sum[3]);
            draw(x0, y0, x1, y1, mean);
        }
    return true;
}

constexpr int32_t kMaxHalftoneCell = 256;

// The order in which a cell's pixels take ink as it darkens: nearest the centre first,
// so the ink grows as a round dot until dots meet. Entry = (rank + 0.5) ÷ cell².
std::vector<double> dotOrder(int32_t cell) {
    const size_t count = static_cast<size_t>(cell) * static_cast<size_t>(cell);
    std::vector<size_t> order(count);
    std::iota(order.begin(), order.end(), size_t{0});
    const double centre = (cell - 1) * 0.5;
    const auto distance = [&](size_t i) {
        const double dx = static_cast<double>(i % static_cast<size_t>(cell)) - centre;
        const double dy = static_cast<double>(i / static_cast<size_t>(cell)) - centre;
        return dx * dx + dy * dy;
    };
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return distance(a) < distance(b); });
    std::vector<double> threshold(count);
    for (size_t rank = 0; rank < count; ++rank) threshold[order[rank]] = (static_cast<double>(rank) + 0.5) / static_cast<double>(count);
    return threshold;
}

}  // namespace

bool ISE3MosaicImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                     uint8_t* destination, int32_t cell) noexcept {
    const PixelBlock in{source, width, height, bytesPerPixel, stride};
    return forEachCell(in, destination, cell, Weight::even,
                       [&](int32_t x0, int32_t y0, int32_t x1, int32_t y1, const uint8_t* mean) {
        for (int32_t y = y0; y < y1; ++y)
            for (int32_t x = x0; x < x1; ++x)
                for (int32_t c = 0; c < bytesPerPixel; ++c) destination[in.offset(x, y) + static_cast<size_t>(c)] = mean[c];
    });
}

bool ISE3HalftoneImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                       uint8_t* destination, int32_t cell, bool monochrome) noexcept try {
    const PixelBlock in{source, width, height, bytesPerPixel, stride};
    if (cell < 1 || cell > kMaxHalftoneCell) return false;
    const std::vector<double> threshold = dotOrder(cell);
    return forEachCell(in, destination, cell, Weight::byAlpha,
                       [&](int32_t x0, int32_t y0, int32_t x1, int32_t y1, const uint8_t* mean) {
        const uint8_t grey = static_cast<uint8_t>((77u * mean[0] + 150u * mean[1] + 29u * mean[2] + 128u) >> 8);
        double darkness[3];
        for (int c = 0; c < 3; ++c) darkness[c] = 1.0 - (monochrome ? grey : mean[c]) / 255.0;
        for (int32_t y = y0; y < y1; ++y)
            for (int32_t x = x0; x < x1; ++x) {
                const double t = threshold[static_cast<size_t>(y - y0) * static_cast<size_t>(cell) + static_cast<size_t>(x - x0)];
                uint8_t* out = destination + in.offset(x, y);
                for (int c = 0; c < 3; ++c) out[c] = darkness[c] > t ? 0 : 255;
                if (bytesPerPixel == 4) out[3] = in.at(x, y)[3];
            }
    });
} catch (...) {
    return false;
}

}  // namespace dro
