#include "imaging/lib/rank.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace dro {
namespace {

struct Block {
    const uint8_t* source;
    int32_t w, h, bpp, stride;
    uint8_t* destination;

    uint8_t at(int32_t x, int32_t y, int32_t c) const noexcept {
        return source[static_cast<size_t>(std::clamp(y, 0, h - 1)) * static_cast<size_t>(stride) +
                      static_cast<size_t>(std::clamp(x, 0, w - 1) * bpp + c)];
    }
    uint8_t& out(int32_t x, int32_t y, int32_t c) const noexcept {
        return destination[static_cast<size_t>(y) * static_cast<size_t>(stride) + static_cast<size_t>(x * bpp + c)];
    }
};

// Huang's running median: one histogram per channel slides along each row; the median
// and the count below it are tracked as columns enter and leave.
void median(const Block& b, int32_t r) {
    const int32_t half = (2 * r + 1) * (2 * r + 1) / 2;
    std::array<std::array<int32_t, 256>, 4> hist{};
    std::array<int32_t, 4> m{}, below{};
    for (int32_t y = 0; y < b.h; ++y) {
        for (int32_t c = 0; c < b.bpp; ++c) {
            auto& hc = hist[static_cast<size_t>(c)];
            hc.fill(0);
            for (int32_t dx = -r; dx <= r; ++dx)
                for (int32_t dy = -r; dy <= r; ++dy) ++hc[b.at(dx, y + dy, c)];
            m[static_cast<size_t>(c)] = 0;
            below[static_cast<size_t>(c)] = 0;
        }
        for (int32_t x = 0; x < b.w; ++x) {
            for (int32_t c = 0; c < b.bpp; ++c) {
                auto& hc = hist[static_cast<size_t>(c)];
                int32_t& mc = m[static_cast<size_t>(c)];
                int32_t& lt = below[static_cast<size_t>(c)];
                if (x > 0) {
                    for (int32_t dy = -r; dy <= r; ++dy) {
                        const uint8_t gone = b.at(x - r - 1, y + dy, c);
                        const uint8_t come = b.at(x + r, y + dy, c);
                        --hc[gone];
                        ++hc[come];
                        lt += (come < mc) - (gone < mc);
                    }
                }
                while (lt > half) lt -= hc[static_cast<size_t>(--mc)];
                while (lt + hc[static_cast<size_t>(mc)] <= half) lt += hc[static_cast<size_t>(mc++)];
                b.out(x, y, c) = static_cast<uint8_t>(mc);
            }
        }
    }
}

// Max or min along rows into a scratch block, then along columns.
template <class Pick>
void separableExtreme(const Block& b, int32_t r, std::vector<uint8_t>& result, Pick pick) {
    const size_t rowBytes = static_cast<size_t>(b.w) * static_cast<size_t>(b.bpp);
    std::vector<uint8_t> across(rowBytes * static_cast<size_t>(b.h));
    for (int32_t y = 0; y < b.h; ++y)
        for (int32_t x = 0; x < b.w; ++x)
            for (int32_t c = 0; c < b.bpp; ++c) {
                uint8_t v = b.at(x, y, c);
                for (int32_t d = -r; d <= r; ++d) v = pick(v, b.at(x + d, y, c));
                across[static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x * b.bpp + c)] = v;
            }
    result.assign(across.size(), 0);
    for (int32_t y = 0; y < b.h; ++y)
        for (size_t i = 0; i < rowBytes; ++i) {
            uint8_t v = across[static_cast<size_t>(y) * rowBytes + i];
            for (int32_t d = -r; d <= r; ++d) v = pick(v, across[static_cast<size_t>(std::clamp(y + d, 0, b.h - 1)) * rowBytes + i]);
            result[static_cast<size_t>(y) * rowBytes + i] = v;
        }
}

void extremes(const Block& b, int32_t r, RankKind kind) {
    std::vector<uint8_t> high, low;
    const auto maxOf = [](uint8_t a, uint8_t c) { return std::max(a, c); };
    const auto minOf = [](uint8_t a, uint8_t c) { return std::min(a, c); };
    if (kind != RankKind::minimum) separableExtreme(b, r, high, maxOf);
    if (kind != RankKind::maximum) separableExtreme(b, r, low, minOf);
    const size_t rowBytes = static_cast<size_t>(b.w) * static_cast<size_t>(b.bpp);
    for (int32_t y = 0; y < b.h; ++y)
        for (size_t i = 0; i < rowBytes; ++i) {
            const size_t k = static_cast<size_t>(y) * rowBytes + i;
            uint8_t v;
            if (kind == RankKind::maximum)
                v = high[k];
            else if (kind == RankKind::minimum)
                v = low[k];
            else
                v = static_cast<uint8_t>((high[k] + low[k] + 1) / 2);
            b.destination[static_cast<size_t>(y) * static_cast<size_t>(b.stride) + i] = v;
        }
}

// Window sums of f(c) by rows then columns, mapped back by g(mean).
template <class Forward, class Back>
void means(const Block& b, int32_t r, Forward f, Back g) {
    const size_t rowValues = static_cast<size_t>(b.w) * static_cast<size_t>(b.bpp);
    std::array<double, 256> table{};
    for (int i = 0; i < 256; ++i) table[static_cast<size_t>(i)] = f(static_cast<double>(i));
    std::vector<double> across(rowValues * static_cast<size_t>(b.h));
    for (int32_t y = 0; y < b.h; ++y)
        for (int32_t x = 0; x < b.w; ++x)
            for (int32_t c = 0; c < b.bpp; ++c) {
                double sum = 0.0;
                for (int32_t d = -r; d <= r; ++d) sum += table[b.at(x + d, y, c)];
                across[static_cast<size_t>(y) * rowValues + static_cast<size_t>(x * b.bpp + c)] = sum;
            }
    const double n = static_cast<double>((2 * r + 1) * (2 * r + 1));
    for (int32_t y = 0; y < b.h; ++y)
        for (size_t i = 0; i < rowValues; ++i) {
            double sum = 0.0;
            for (int32_t d = -r; d <= r; ++d) sum += across[static_cast<size_t>(std::clamp(y + d, 0, b.h - 1)) * rowValues + i];
            const double v = std::clamp(g(sum / n), 0.0, 255.0);
            b.destination[static_cast<size_t>(y) * static_cast<size_t>(b.stride) + i] = static_cast<uint8_t>(v + 0.5);
        }
}

}  // namespace

bool rankFilter(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                uint8_t* destination, int32_t radius, RankKind kind) noexcept {
    if (!source || !destination || source == destination || width <= 0 || height <= 0 ||
        (bytesPerPixel != 1 && bytesPerPixel != 3 && bytesPerPixel != 4) || stride < width * bytesPerPixel ||
        radius < 0 || radius > 100)
        return false;
    try {
        const Block b{source, width, height, bytesPerPixel, stride, destination};
        switch (kind) {
            case RankKind::median: median(b, radius); break;
            case RankKind::maximum:
            case RankKind::minimum:
            case RankKind::midpoint: extremes(b, radius, kind); break;
            case RankKind::arithmeticMean: means(b, radius, [](double c) { return c; }, [](double m) { return m; }); break;
            case RankKind::geometricMean:
                means(b, radius, [](double c) { return std::log(c + 1.0); }, [](double m) { return std::exp(m) - 1.0; });
                break;
            case RankKind::harmonicMean:
                means(b, radius, [](double c) { return 1.0 / (c + 1.0); }, [](double m) { return 1.0 / m - 1.0; });
                break;
        }
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace dro
