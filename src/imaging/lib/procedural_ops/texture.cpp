// Distortions that push paint around rather than map positions: blade scratches and
// lit blocks. Both work on premultiplied pixels and only ever mix whole pixels, so
// colour and alpha move together.
#include <algorithm>
#include <cmath>

#include "imaging/lib/procedural_ops/procedural_ops.h"
#include "imaging/lib/procedural_ops/sampling.h"
#include "imaging/lib/random.h"

namespace dro::procedural_ops {
namespace {


inline void mixInto(uint16_t* pixel, const double towards[4], double amount) noexcept {
    for (int c = 0; c < 4; ++c) pixel[c] = static_cast<uint16_t>(pixel[c] + (towards[c] - pixel[c]) * amount + 0.5);
}

}  // namespace

bool scratch(uint8_t* image, int32_t width, int32_t height, int32_t stride, const ScratchParams& p) noexcept {
    if (!validImage(image, width, height, stride)) return false;
    const int32_t count = std::clamp(p.count, 0, 100000);
    if (count == 0) return true;
    PremultipliedImage work;
    if (!work.load(image, width, height, stride)) return false;
    Random random{static_cast<uint64_t>(static_cast<uint32_t>(p.seed))};
    const double length = std::clamp(p.length, 0, 1000) * 0.01 * std::hypot(width, height);
    const int32_t bladeWidth = std::clamp(p.width, 1, 256);
    for (int32_t n = 0; n < count; ++n) {
        const double x0 = random.fraction() * width, y0 = random.fraction() * height;
        const double degrees = (p.angle % 360) + std::clamp(p.spread, 0, 360) * (2.0 * random.fraction() - 1.0);
        const double dx = std::cos(degrees * (kPi / 180.0)), dy = std::sin(degrees * (kPi / 180.0));
        // The blade carries the paint under its start and picks up a little as it goes.
        double carried[4];
        {
            const uint16_t* start = work.pixel(static_cast<int32_t>(x0), static_cast<int32_t>(y0));
            for (int c = 0; c < 4; ++c) carried[c] = start[c];
        }
        for (int32_t k = 1; k < length; ++k) {
            const double lift = 1.0 - k / length;  // the blade lifts off towards the end
            for (int32_t o = 0; o < bladeWidth; ++o) {
                const double side = o - (bladeWidth - 1) * 0.5;
                const auto x = static_cast<int64_t>(std::floor(x0 + k * dx - side * dy));
                const auto y = static_cast<int64_t>(std::floor(y0 + k * dy + side * dx));
                if (x < 0 || y < 0 || x >= width || y >= height) continue;
                uint16_t* under = work.pixel(static_cast<int32_t>(x), static_cast<int32_t>(y));
                const double was[4] = {double(under[0]), double(under[1]), double(under[2]), double(under[3])};
                mixInto(under, carried, 0.6 * lift);
                for (int c = 0; c < 4; ++c) carried[c] += (was[c] - carried[c]) * 0.1;
            }
        }
    }
    work.store(image, stride);
    return true;
}

bool voxel(uint8_t* image, int32_t width, int32_t height, int32_t stride, const VoxelParams& p) noexcept {
    if (!validImage(image, width, height, stride)) return false;
    const int32_t block = std::clamp(p.blockSize, 1, std::max(width, height));
    if (block == 1) return true;
    const double depth = std::clamp(p.depth, 0, 100) * 0.01;
    const int32_t rim = std::max(1, block / 4);
    PremultipliedImage work;
    if (!work.load(image, width, height, stride)) return false;
    const int32_t blocksDown = (height + block - 1) / block;
#pragma omp parallel for schedule(static) if (int64_t{width} * height >= kParallelPixels)
    for (int32_t by = 0; by < blocksDown; ++by) {
        const int32_t top = by * block, bottom = std::min(height, top + block);
        for (int32_t left = 0; left < width; left += block) {
            const int32_t right = std::min(width, left + block);
            double sum[4] = {0, 0, 0, 0};
            for (int32_t y = top; y < bottom; ++y)
                for (int32_t x = left; x < right; ++x)
                    for (int c = 0; c < 4; ++c) sum[c] += work.pixel(x, y)[c];
            const double n = double(right - left) * (bottom - top);
            const double mean[4] = {sum[0] / n, sum[1] / n, sum[2] / n, sum[3] / n};
            // Lit rims towards the white of the block's own alpha, shaded rims towards black.
            const double lit[4] = {mean[3], mean[3], mean[3], mean[3]};
            const double shade[4] = {0, 0, 0, mean[3]};
            for (int32_t y = top; y < bottom; ++y) {
                for (int32_t x = left; x < right; ++x) {
                    uint16_t* px = work.pixel(x, y);
                    for (int c = 0; c < 4; ++c) px[c] = static_cast<uint16_t>(mean[c] + 0.5);
                    const int32_t toLit = std::min(x - left, y - top);
                    const int32_t toShade = std::min(right - 1 - x, bottom - 1 - y);
                    if (std::min(toLit, toShade) >= rim || depth == 0.0) continue;
                    mixInto(px, toLit <= toShade ? lit : shade, depth * 0.5);
                }
            }
        }
    }
    work.store(image, stride);
    return true;
}

}  // namespace dro::procedural_ops
