#include "imaging/lib/convolve.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <new>
#include <numbers>
#include <vector>

#ifdef _OPENMP
#include <omp.h>
#endif

namespace dro {
namespace {

bool valid(const uint8_t* s, int32_t w, int32_t h, int32_t bpp, int32_t stride, const uint8_t* d) noexcept {
    return s && d && w > 0 && h > 0 && (bpp == 3 || bpp == 4) && stride >= w * bpp;
}

// Separable binomial: rows into a 16-bit buffer, then columns, edge pixels extended.
template <int Radius>
bool binomial(const uint8_t* source, int32_t w, int32_t h, int32_t bpp, int32_t stride, uint8_t* destination,
              const int (&taps)[2 * Radius + 1], int shift) noexcept {
    if (!valid(source, w, h, bpp, stride, destination)) return false;
    const size_t rowValues = static_cast<size_t>(w) * static_cast<size_t>(bpp);
    std::vector<uint16_t> across(rowValues * static_cast<size_t>(h));
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* row = source + static_cast<size_t>(y) * static_cast<size_t>(stride);
        uint16_t* out = across.data() + static_cast<size_t>(y) * rowValues;
        for (int32_t x = 0; x < w; ++x)
            for (int32_t c = 0; c < bpp; ++c) {
                int sum = 0;
                for (int k = -Radius; k <= Radius; ++k) sum += taps[k + Radius] * row[std::clamp(x + k, 0, w - 1) * bpp + c];
                out[static_cast<size_t>(x * bpp + c)] = static_cast<uint16_t>(sum);
            }
    }
    const int total = 1 << shift;
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* out = destination + static_cast<size_t>(y) * static_cast<size_t>(stride);
        for (size_t i = 0; i < rowValues; ++i) {
            int sum = 0;
            for (int k = -Radius; k <= Radius; ++k)
                sum += taps[k + Radius] * across[static_cast<size_t>(std::clamp(y + k, 0, h - 1)) * rowValues + i];
            out[i] = static_cast<uint8_t>((sum + total / 2) >> shift);
        }
    }
    return true;
}

struct Sampler {
    const uint8_t* source;
    int32_t w, h, bpp, stride;
    bool smooth;

    void add(double x, double y, double* sum) const noexcept {
        if (!smooth) {
            const int32_t ix = std::clamp(static_cast<int32_t>(std::lround(x)), 0, w - 1);
            const int32_t iy = std::clamp(static_cast<int32_t>(std::lround(y)), 0, h - 1);
            const uint8_t* p = source + static_cast<size_t>(iy) * static_cast<size_t>(stride) + ix * bpp;
            for (int32_t c = 0; c < bpp; ++c) sum[c] += p[c];
            return;
        }
        x = std::clamp(x, 0.0, static_cast<double>(w - 1));
        y = std::clamp(y, 0.0, static_cast<double>(h - 1));
        const int32_t x0 = static_cast<int32_t>(x), y0 = static_cast<int32_t>(y);
        const int32_t x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
        const double fx = x - x0, fy = y - y0;
        const uint8_t* r0 = source + static_cast<size_t>(y0) * static_cast<size_t>(stride);
        const uint8_t* r1 = source + static_cast<size_t>(y1) * static_cast<size_t>(stride);
        for (int32_t c = 0; c < bpp; ++c) {
            const double top = r0[x0 * bpp + c] + (r0[x1 * bpp + c] - r0[x0 * bpp + c]) * fx;
            const double bottom = r1[x0 * bpp + c] + (r1[x1 * bpp + c] - r1[x0 * bpp + c]) * fx;
            sum[c] += top + (bottom - top) * fy;
        }
    }
};

constexpr int kMaxSamples = 256;

struct Offset {
    int32_t x, y;
};

// A straight line's nearest samples sit at the same offsets from every pixel, so they
// are rounded once. Per pixel the rule rounds x + a, which equals x + round(a) unless a
// lies within a hair of a rounding tie; then the table is refused and the general path
// runs, so the result is the same either way.
bool lineOffsets(double dx, double dy, double length, int samples, std::vector<Offset>& offsets) {
    constexpr double kTieMargin = 1e-6;
    const auto nearTie = [](double v) { return std::abs(v - std::floor(v) - 0.5) < kTieMargin; };
    for (int i = 0; i < samples; ++i) {
        const double t = samples == 1 ? 0.0 : (i / static_cast<double>(samples - 1) - 0.5) * length;
        const double a = dx * t, b = dy * t;
        if (nearTie(a) || nearTie(b) || std::abs(a) > 1e9 || std::abs(b) > 1e9) return false;
        offsets.push_back({static_cast<int32_t>(std::lround(a)), static_cast<int32_t>(std::lround(b))});
    }
    return true;
}

// The linear nearest-sample blur over whole rows: each offset adds a shifted source row
// (edge pixels beyond the image) into integer sums, then each sum is averaged as the
// per-pixel rule averages it.
void lineBlurNearest(const uint8_t* source, int32_t w, int32_t h, int32_t bpp, int32_t stride, uint8_t* destination,
                     const std::vector<Offset>& offsets) {
    const auto n = static_cast<double>(offsets.size());
    const size_t rowValues = static_cast<size_t>(w) * static_cast<size_t>(bpp);
#ifdef _OPENMP
    const int threads = static_cast<int64_t>(w) * h > (1 << 16) ? omp_get_max_threads() : 1;
#else
    const int threads = 1;
#endif
    // One row of sums per thread, allocated here: nothing may throw inside the region.
    std::vector<uint32_t> allSums(rowValues * static_cast<size_t>(threads));
#pragma omp parallel num_threads(threads)
    {
#ifdef _OPENMP
        uint32_t* sums = allSums.data() + rowValues * static_cast<size_t>(omp_get_thread_num());
#else
        uint32_t* sums = allSums.data();
#endif
#pragma omp for schedule(static)
        for (int32_t y = 0; y < h; ++y) {
            std::fill(sums, sums + rowValues, 0u);
            for (const Offset& o : offsets) {
                const uint8_t* row = source + static_cast<size_t>(std::clamp<int64_t>(int64_t{y} + o.y, 0, h - 1)) *
                                                  static_cast<size_t>(stride);
                // Columns whose sample lies inside the row: [inside, outside).
                const auto inside = static_cast<int32_t>(std::clamp<int64_t>(-int64_t{o.x}, 0, w));
                const auto outside = static_cast<int32_t>(std::clamp<int64_t>(int64_t{w} - o.x, inside, w));
                for (int32_t x = 0; x < inside; ++x)
                    for (int32_t c = 0; c < bpp; ++c) sums[static_cast<size_t>(x * bpp + c)] += row[c];
                const uint8_t* shifted = row + static_cast<std::ptrdiff_t>(o.x) * bpp;
                for (size_t i = static_cast<size_t>(inside) * bpp; i < static_cast<size_t>(outside) * bpp; ++i)
                    sums[i] += shifted[i];
                const uint8_t* last = row + static_cast<size_t>(w - 1) * bpp;
                for (int32_t x = outside; x < w; ++x)
                    for (int32_t c = 0; c < bpp; ++c) sums[static_cast<size_t>(x * bpp + c)] += last[c];
            }
            uint8_t* out = destination + static_cast<size_t>(y) * static_cast<size_t>(stride);
            for (size_t i = 0; i < rowValues; ++i)
                out[i] = static_cast<uint8_t>(std::min(255.0, static_cast<double>(sums[i]) / n + 0.5));
        }
    }
}

}  // namespace

bool IS3BlurImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                  uint8_t* destination) noexcept {
    static constexpr int kTaps[3] = {1, 2, 1};
    return binomial<1>(source, width, height, bytesPerPixel, stride, destination, kTaps, 4);
}

bool ISE40_BlurImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                     uint8_t* destination) noexcept {
    static constexpr int kTaps[5] = {1, 4, 6, 4, 1};
    return binomial<2>(source, width, height, bytesPerPixel, stride, destination, kTaps, 8);
}

bool ISE3MotionBlur(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                    uint8_t* destination, MotionMode mode, double angle, double length, double centreX,
                    double centreY, bool smooth) noexcept {
    if (!valid(source, width, height, bytesPerPixel, stride, destination) || !std::isfinite(angle) ||
        !std::isfinite(length) || !std::isfinite(centreX) || !std::isfinite(centreY))
        return false;
    const Sampler sampler{source, width, height, bytesPerPixel, stride, smooth};
    const double radians = angle * std::numbers::pi / 180.0;
    const double dx = std::cos(radians), dy = -std::sin(radians);
    const int lineSamples = std::clamp(static_cast<int>(std::ceil(std::abs(length))), 1, kMaxSamples);
    if (mode == MotionMode::linear && !smooth && source != destination) {
        try {
            std::vector<Offset> offsets;
            if (lineOffsets(dx, dy, length, lineSamples, offsets)) {
                lineBlurNearest(source, width, height, bytesPerPixel, stride, destination, offsets);
                return true;
            }
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* out = destination + static_cast<size_t>(y) * static_cast<size_t>(stride);
        for (int32_t x = 0; x < width; ++x) {
            double sum[4] = {};
            int n = 1;
            if (mode == MotionMode::linear) {
                n = lineSamples;
                for (int i = 0; i < n; ++i) {
                    const double t = n == 1 ? 0.0 : (i / static_cast<double>(n - 1) - 0.5) * length;
                    sampler.add(x + dx * t, y + dy * t, sum);
                }
            } else {
                const double rx = x - centreX, ry = y - centreY;
                const double reach = mode == MotionMode::radial ? std::hypot(rx, ry) * std::abs(radians)
                                                                : std::hypot(rx, ry) * std::abs(length) * 0.01;
                n = std::clamp(static_cast<int>(std::ceil(reach)), 1, kMaxSamples);
                for (int i = 0; i < n; ++i) {
                    const double t = n == 1 ? 0.0 : i / static_cast<double>(n - 1);
                    if (mode == MotionMode::radial) {
                        const double a = (t - 0.5) * radians;
                        const double c = std::cos(a), s = std::sin(a);
                        sampler.add(centreX + rx * c - ry * s, centreY + rx * s + ry * c, sum);
                    } else {
                        const double scale = 1.0 - t * length * 0.01;
                        sampler.add(centreX + rx * scale, centreY + ry * scale, sum);
                    }
                }
            }
            for (int32_t c = 0; c < bytesPerPixel; ++c)
                out[x * bytesPerPixel + c] = static_cast<uint8_t>(std::min(255.0, sum[c] / n + 0.5));
        }
    }
    return true;
}

}  // namespace dro
