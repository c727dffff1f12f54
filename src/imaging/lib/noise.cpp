#include "imaging/lib/noise.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "imaging/lib/random.h"

namespace dro {
namespace {

// One deviate of mean 0 and variance 1.
double deviate(Random& r, NoiseDistribution d) noexcept {
    switch (d) {
        case NoiseDistribution::gaussian:
            return std::sqrt(-2.0 * std::log(r.unit())) * std::cos(2.0 * std::numbers::pi * r.unit());
        case NoiseDistribution::negativeExponential: return -std::log(r.unit()) - 1.0;
        case NoiseDistribution::rayleigh: {
            constexpr double kMean = 1.2533141373155003;  // sqrt(pi / 2)
            constexpr double kDeviation = 0.6551363775620336;  // sqrt(2 − pi / 2)
            return (std::sqrt(-2.0 * std::log(r.unit())) - kMean) / kDeviation;
        }
        case NoiseDistribution::uniform: return (r.unit() - 0.5) * 3.4641016151377544;  // sqrt(12)
    }
    return 0.0;
}

uint8_t roundClamp(double v) noexcept {
    if (!(v > 0.0)) return 0;
    return v >= 255.0 ? 255 : static_cast<uint8_t>(v + 0.5);
}

bool valid(const uint8_t* b, int32_t w, int32_t h, int32_t stride) noexcept {
    return b && w > 0 && h > 0 && stride >= w * 4;
}

uint8_t* rowOf(uint8_t* block, int32_t y, int32_t stride) noexcept {
    return block + static_cast<size_t>(y) * static_cast<size_t>(stride);
}

double fade(double t) noexcept { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); }

}  // namespace

void addNoise(uint8_t* block, int32_t width, int32_t height, int32_t stride, NoiseDistribution distribution,
              int32_t amount, bool monochrome, uint32_t channels, uint64_t seed) noexcept {
    if (!valid(block, width, height, stride) || amount <= 0) return;
    Random r{seed};
    const double scale = amount * 0.01;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* px = rowOf(block, y, stride);
        for (int32_t x = 0; x < width; ++x, px += 4) {
            const double shared = monochrome ? deviate(r, distribution) * scale : 0.0;
            for (int c = 0; c < 4; ++c) {
                if (!(channels & (1u << c))) continue;
                const double n = monochrome ? shared : deviate(r, distribution) * scale;
                px[c] = roundClamp(px[c] + n);
            }
        }
    }
}

void ISE3GenerateColoredNoise(uint8_t* block, int32_t width, int32_t height, int32_t stride, uint32_t colour,
                              double variety, uint64_t seed) noexcept {
    if (!valid(block, width, height, stride)) return;
    variety = std::clamp(variety, 0.0, 1.0);
    Random r{seed};
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* px = rowOf(block, y, stride);
        for (int32_t x = 0; x < width; ++x, px += 4) {
            for (int c = 0; c < 3; ++c) {
                const double base = static_cast<double>((colour >> (8 * c)) & 0xFFu);
                px[c] = roundClamp(base + (r.unit() * 255.0 - base) * variety);
            }
            px[3] = 255;
        }
    }
}

void ISE3GenerateHugoNoise(uint8_t* block, int32_t width, int32_t height, int32_t stride, int32_t cell,
                           uint64_t seed) noexcept {
    if (!valid(block, width, height, stride)) return;
    cell = std::max(cell, 1);
    const int32_t cols = width / cell + 2, rows = height / cell + 2;
    std::vector<double> lattice(static_cast<size_t>(cols) * static_cast<size_t>(rows));
    Random r{seed};
    for (double& v : lattice) v = r.unit() * 255.0;
    const auto at = [&](int32_t i, int32_t j) { return lattice[static_cast<size_t>(j) * static_cast<size_t>(cols) + static_cast<size_t>(i)]; };
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* px = rowOf(block, y, stride);
        const int32_t j = y / cell;
        const double fy = fade((y % cell) / static_cast<double>(cell));
        for (int32_t x = 0; x < width; ++x, px += 4) {
            const int32_t i = x / cell;
            const double fx = fade((x % cell) / static_cast<double>(cell));
            const double top = at(i, j) + (at(i + 1, j) - at(i, j)) * fx;
            const double bottom = at(i, j + 1) + (at(i + 1, j + 1) - at(i, j + 1)) * fx;
            px[0] = px[1] = px[2] = roundClamp(top + (bottom - top) * fy);
            px[3] = 255;
        }
    }
}

void ISE3GeneratePerlinNoise(uint8_t* block, int32_t width, int32_t height, int32_t stride, double scale,
                             int32_t octaves, double persistence, uint64_t seed) noexcept {
    if (!valid(block, width, height, stride) || !(scale > 0.0) || !std::isfinite(persistence)) return;
    octaves = std::clamp(octaves, 1, 12);
    std::array<uint8_t, 512> perm{};
    Random r{seed};
    for (int i = 0; i < 256; ++i) perm[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    for (int i = 255; i > 0; --i) std::swap(perm[static_cast<size_t>(i)], perm[r.next() % static_cast<uint64_t>(i + 1)]);
    for (int i = 0; i < 256; ++i) perm[static_cast<size_t>(i + 256)] = perm[static_cast<size_t>(i)];
    const auto grad = [](int hash, double x, double y) {
        switch (hash & 7) {
            case 0: return x + y;
            case 1: return x - y;
            case 2: return -x + y;
            case 3: return -x - y;
            case 4: return x;
            case 5: return -x;
            case 6: return y;
            default: return -y;
        }
    };
    const auto noise = [&](double x, double y) {
        const int xi = static_cast<int>(std::floor(x)) & 255, yi = static_cast<int>(std::floor(y)) & 255;
        const double xf = x - std::floor(x), yf = y - std::floor(y);
        const double u = fade(xf), v = fade(yf);
        const auto p = [&](int i) { return static_cast<int>(perm[static_cast<size_t>(i)]); };
        const int aa = p(p(xi) + yi), ab = p(p(xi) + yi + 1), ba = p(p(xi + 1) + yi), bb = p(p(xi + 1) + yi + 1);
        const double x1 = grad(aa, xf, yf) + (grad(ba, xf - 1, yf) - grad(aa, xf, yf)) * u;
        const double x2 = grad(ab, xf, yf - 1) + (grad(bb, xf - 1, yf - 1) - grad(ab, xf, yf - 1)) * u;
        return x1 + (x2 - x1) * v;  // about −1..1
    };
    double total = 0.0;
    for (int o = 0; o < octaves; ++o) total += std::pow(std::abs(persistence), o);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* px = rowOf(block, y, stride);
        for (int32_t x = 0; x < width; ++x, px += 4) {
            double sum = 0.0, frequency = 1.0 / scale, amplitude = 1.0;
            for (int o = 0; o < octaves; ++o, frequency *= 2.0, amplitude *= persistence)
                sum += noise(x * frequency, y * frequency) * amplitude;
            px[0] = px[1] = px[2] = roundClamp(127.5 + 127.5 * sum / (total > 0.0 ? total : 1.0));
            px[3] = 255;
        }
    }
}

}  // namespace dro
