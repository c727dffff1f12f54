#include "imaging/lib/painterly.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "imaging/lib/pixel_block.h"
#include "imaging/lib/random.h"

namespace dro {
namespace {

// A block's fourth byte into the destination, where there is one.
void copyAlpha(const PixelBlock& in, uint8_t* destination) noexcept {
    if (in.bytesPerPixel != 4) return;
    for (int32_t y = 0; y < in.height; ++y)
        for (int32_t x = 0; x < in.width; ++x) destination[in.offset(x, y) + 3] = in.at(x, y)[3];
}

void fill(const PixelBlock& in, uint8_t* destination, uint8_t value) noexcept {
    for (int32_t y = 0; y < in.height; ++y)
        for (int32_t x = 0; x < in.width; ++x)
            for (int c = 0; c < 3; ++c) destination[in.offset(x, y) + static_cast<size_t>(c)] = value;
}

// Band counts and colour sums of one window, slid along a row a column at a time.
struct BandHistogram {
    std::vector<int32_t> count;
    std::vector<std::array<int64_t, 3>> sum;
    explicit BandHistogram(int32_t levels) : count(static_cast<size_t>(levels)), sum(static_cast<size_t>(levels)) {}
    void column(const PixelBlock& in, const std::vector<uint8_t>& band, int32_t x, int32_t y, int32_t r, int sign) {
        const int32_t cx = std::clamp(x, 0, in.width - 1);
        for (int32_t dy = -r; dy <= r; ++dy) {
            const int32_t cy = std::clamp(y + dy, 0, in.height - 1);
            const size_t b = band[static_cast<size_t>(cy) * static_cast<size_t>(in.width) + static_cast<size_t>(cx)];
            const uint8_t* p = in.at(cx, cy);
            count[b] += sign;
            for (int c = 0; c < 3; ++c) sum[b][static_cast<size_t>(c)] += sign * p[c];
        }
    }
};

}  // namespace

bool ISE3OilPaintRGB(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                     uint8_t* destination, int32_t radius, int32_t levels) noexcept try {
    const PixelBlock in{source, width, height, bytesPerPixel, stride};
    if (!in.valid() || !destination || radius < 0 || radius > 64 || levels < 2 || levels > 256) return false;
    std::vector<uint8_t> band = in.grey();
    for (uint8_t& g : band) g = static_cast<uint8_t>(g * levels / 256);
    for (int32_t y = 0; y < height; ++y) {
        BandHistogram h(levels);
        for (int32_t dx = -radius; dx <= radius; ++dx) h.column(in, band, dx, y, radius, 1);
        for (int32_t x = 0; x < width; ++x) {
            if (x > 0) {
                h.column(in, band, x - radius - 1, y, radius, -1);
                h.column(in, band, x + radius, y, radius, 1);
            }
            const size_t best = static_cast<size_t>(std::max_element(h.count.begin(), h.count.end()) - h.count.begin());
            uint8_t* out = destination + in.offset(x, y);
            const int64_t n = h.count[best];
            for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>((h.sum[best][static_cast<size_t>(c)] + n / 2) / n);
        }
    }
    copyAlpha(in, destination);
    return true;
} catch (...) {
    return false;
}

bool ISE3Stipple(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                 uint8_t* destination, int32_t dotSize, double density, uint32_t ink, bool sourceColour,
                 uint64_t seed) noexcept {
    const PixelBlock in{source, width, height, bytesPerPixel, stride};
    if (!in.valid() || !destination || dotSize < 1 || dotSize > 64 || !(density >= 0.0) || density > 2.0) return false;
    fill(in, destination, 255);
    Random random{seed};
    const uint8_t inkRgb[3] = {static_cast<uint8_t>(ink), static_cast<uint8_t>(ink >> 8), static_cast<uint8_t>(ink >> 16)};
    const double r = dotSize * 0.5, r2 = r * r;
    for (int32_t gy = 0; gy < height; gy += dotSize)
        for (int32_t gx = 0; gx < width; gx += dotSize) {
            const double cx = gx + random.unit() * dotSize - 0.5, cy = gy + random.unit() * dotSize - 0.5;
            const int32_t sx = std::clamp(static_cast<int32_t>(cx), 0, width - 1), sy = std::clamp(static_cast<int32_t>(cy), 0, height - 1);
            const uint8_t* under = in.at(sx, sy);
            const double darkness = 1.0 - ((77u * under[0] + 150u * under[1] + 29u * under[2] + 128u) >> 8) / 255.0;
            if (random.unit() > darkness * density) continue;
            const uint8_t* colour = sourceColour ? under : inkRgb;
            for (int32_t y = std::max(0, static_cast<int32_t>(cy - r)); y <= std::min(height - 1, static_cast<int32_t>(cy + r) + 1); ++y)
                for (int32_t x = std::max(0, static_cast<int32_t>(cx - r)); x <= std::min(width - 1, static_cast<int32_t>(cx + r) + 1); ++x) {
                    const double dx = x - cx, dy = y - cy;
                    if (dx * dx + dy * dy > r2) continue;
                    for (int c = 0; c < 3; ++c) destination[in.offset(x, y) + static_cast<size_t>(c)] = colour[c];
                }
        }
    copyAlpha(in, destination);
    return true;
}

bool ISE3Scribble(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                  uint8_t* destination, int32_t mode, int32_t strokeLength, int32_t density, uint64_t seed) noexcept {
    const PixelBlock in{source, width, height, bytesPerPixel, stride};
    if (!in.valid() || !destination || (mode != 0 && mode != 1) || strokeLength < 1 || strokeLength > 256 ||
        density < 0 || density > 1000)
        return false;
    if (mode == 0) in.copyTo(destination);
    else fill(in, destination, 255);
    Random random{seed};
    const uint64_t strokes = in.pixelCount() * static_cast<uint64_t>(density) / (100u * static_cast<uint64_t>(strokeLength)) + 1;
    for (uint64_t s = 0; s < strokes; ++s) {
        const int32_t x0 = static_cast<int32_t>(random.next() % static_cast<uint64_t>(width));
        const int32_t y0 = static_cast<int32_t>(random.next() % static_cast<uint64_t>(height));
        const double angle = random.unit() * std::numbers::pi;
        const uint8_t* start = in.at(x0, y0);
        const uint8_t grey = static_cast<uint8_t>((77u * start[0] + 150u * start[1] + 29u * start[2] + 128u) >> 8);
        // Pencil strokes fall where the picture is dark.
        if (mode == 1 && random.unit() * 255.0 < grey) continue;
        const double dx = std::cos(angle), dy = std::sin(angle);
        for (int32_t t = 0; t < strokeLength; ++t) {
            const int32_t x = x0 + static_cast<int32_t>(std::lround(dx * t));
            const int32_t y = y0 + static_cast<int32_t>(std::lround(dy * t));
            if (x < 0 || y < 0 || x >= width || y >= height) break;
            uint8_t* out = destination + in.offset(x, y);
            for (int c = 0; c < 3; ++c) out[c] = mode == 0 ? start[c] : std::min(out[c], grey);
        }
    }
    copyAlpha(in, destination);
    return true;
}

bool ISE3CrackleRGB(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                    uint8_t* destination, int32_t cellSize, double crackWidth, double depth, uint64_t seed) noexcept try {
    const PixelBlock in{source, width, height, bytesPerPixel, stride};
    if (!in.valid() || !destination || cellSize < 2 || cellSize > 1024 || !(crackWidth >= 0.0) || crackWidth > 1024.0 ||
        !std::isfinite(depth))
        return false;
    depth = std::clamp(depth, 0.0, 1.0);
    // One seed per grid cell, jittered inside it; a frame of one cell around the image.
    const int32_t cols = width / cellSize + 3, rows = height / cellSize + 3;
    std::vector<std::array<double, 2>> seeds(static_cast<size_t>(cols) * static_cast<size_t>(rows));
    Random random{seed};
    for (int32_t j = 0; j < rows; ++j)
        for (int32_t i = 0; i < cols; ++i)
            seeds[static_cast<size_t>(j) * static_cast<size_t>(cols) + static_cast<size_t>(i)] = {
                (i - 1 + random.unit()) * cellSize, (j - 1 + random.unit()) * cellSize};
    in.copyTo(destination);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            double d1 = 1e300, d2 = 1e300;
            const int32_t ci = x / cellSize + 1, cj = y / cellSize + 1;
            for (int32_t j = std::max(0, cj - 2); j <= std::min(rows - 1, cj + 2); ++j)
                for (int32_t i = std::max(0, ci - 2); i <= std::min(cols - 1, ci + 2); ++i) {
                    const auto& s = seeds[static_cast<size_t>(j) * static_cast<size_t>(cols) + static_cast<size_t>(i)];
                    const double d = (s[0] - x) * (s[0] - x) + (s[1] - y) * (s[1] - y);  // squared
                    if (d < d1) {
                        d2 = d1;
                        d1 = d;
                    } else if (d < d2) {
                        d2 = d;
                    }
                }
            const double gap = std::sqrt(d2) - std::sqrt(d1);
            if (gap >= crackWidth) continue;
            const double k = 1.0 - depth * (1.0 - gap / std::max(crackWidth, 1e-9));
            uint8_t* out = destination + in.offset(x, y);
            for (int c = 0; c < 3; ++c) out[c] = clampByte(out[c] * k);
        }
    return true;
} catch (...) {
    return false;
}

}  // namespace dro
