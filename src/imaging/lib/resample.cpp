#include "imaging/lib/resample.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "imaging/lib/codecs/codec_types.h"
#include "imaging/lib/resample_kernels.h"

namespace {

using dro::resample::Kernel;

constexpr int32_t kAreaAverageCode = 15;

// The source samples and weights that make one destination sample along one axis.
struct Contribution {
    int32_t first = 0;
    std::vector<float> weights;
};

void normalise(Contribution& c) {
    float sum = 0.0f;
    for (float w : c.weights) sum += w;
    if (sum == 0.0f) {
        c.weights.assign(1, 1.0f);
        return;
    }
    for (float& w : c.weights) w /= sum;
}

// Weights of source pixel j for destination pixel i: the length of [j, j + 1] that
// lies under the destination pixel's footprint in source coordinates.
std::vector<Contribution> areaContributions(int32_t sourceSize, int32_t targetSize) {
    std::vector<Contribution> out(static_cast<size_t>(targetSize));
    const double scale = static_cast<double>(sourceSize) / targetSize;
    for (int32_t i = 0; i < targetSize; ++i) {
        const double lo = i * scale;
        const double hi = std::min<double>(sourceSize, (i + 1) * scale);
        auto& c = out[static_cast<size_t>(i)];
        c.first = std::clamp(static_cast<int32_t>(std::floor(lo)), 0, sourceSize - 1);
        const int32_t last = std::clamp(static_cast<int32_t>(std::ceil(hi)) - 1, c.first, sourceSize - 1);
        for (int32_t j = c.first; j <= last; ++j)
            c.weights.push_back(static_cast<float>(std::min<double>(hi, j + 1) - std::max<double>(lo, j)));
        normalise(c);
    }
    return out;
}

std::vector<Contribution> nearestContributions(int32_t sourceSize, int32_t targetSize) {
    std::vector<Contribution> out(static_cast<size_t>(targetSize));
    const double scale = static_cast<double>(sourceSize) / targetSize;
    for (int32_t i = 0; i < targetSize; ++i) {
        auto& c = out[static_cast<size_t>(i)];
        c.first = std::clamp(static_cast<int32_t>((i + 0.5) * scale), 0, sourceSize - 1);
        c.weights.assign(1, 1.0f);
    }
    return out;
}

// Samples outside the source take the nearest edge sample, so a flat image stays flat.
std::vector<Contribution> kernelContributions(int32_t sourceSize, int32_t targetSize, Kernel kernel) {
    std::vector<Contribution> out(static_cast<size_t>(targetSize));
    const double scale = static_cast<double>(sourceSize) / targetSize;
    const double stretch = std::max(1.0, scale);
    const double support = kernel.support * stretch;
    for (int32_t i = 0; i < targetSize; ++i) {
        const double centre = (i + 0.5) * scale - 0.5;
        const int32_t lo = static_cast<int32_t>(std::ceil(centre - support));
        const int32_t hi = static_cast<int32_t>(std::floor(centre + support));
        auto& c = out[static_cast<size_t>(i)];
        c.first = std::clamp(lo, 0, sourceSize - 1);
        const int32_t last = std::clamp(hi, 0, sourceSize - 1);
        c.weights.assign(static_cast<size_t>(last - c.first + 1), 0.0f);
        for (int32_t j = lo; j <= hi; ++j) {
            const int32_t at = std::clamp(j, 0, sourceSize - 1);
            c.weights[static_cast<size_t>(at - c.first)] +=
                static_cast<float>(kernel.weight((j - centre) / stretch));
        }
        normalise(c);
    }
    return out;
}

std::vector<Contribution> contributionsFor(int32_t code, int32_t sourceSize, int32_t targetSize) {
    if (code == kAreaAverageCode) return areaContributions(sourceSize, targetSize);
    if (code == dro::resample::kNearestCode) return nearestContributions(sourceSize, targetSize);
    return kernelContributions(sourceSize, targetSize, dro::resample::kernelForCode(code));
}

uint8_t toByte(float v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

bool validBlock(const uint8_t* block, int32_t width, int32_t height, int32_t stride, int32_t bytesPerPixel) {
    return block && width > 0 && height > 0 && bytesPerPixel > 0 && bytesPerPixel <= 8 &&
           static_cast<int64_t>(stride) >= static_cast<int64_t>(width) * bytesPerPixel &&
           dro::codecs::checkedImageBytes(width, height, bytesPerPixel).has_value();
}

bool resampleWith(int32_t code, const uint8_t* source, int32_t width, int32_t height, int32_t sourceStride,
                  uint8_t* destination, int32_t newWidth, int32_t newHeight, int32_t destinationStride,
                  int32_t bpp) {
    if (!validBlock(source, width, height, sourceStride, bpp) ||
        !validBlock(destination, newWidth, newHeight, destinationStride, bpp))
        return false;
    try {
        const auto columns = contributionsFor(code, width, newWidth);
        const auto rows = contributionsFor(code, height, newHeight);
        const size_t rowFloats = static_cast<size_t>(newWidth) * static_cast<size_t>(bpp);
        std::vector<float> horizontal(rowFloats * static_cast<size_t>(height));

        // Across each row first, into floats, then down each column.
#pragma omp parallel for schedule(static) if (static_cast<int64_t>(height) * newWidth > 65536)
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* in = source + static_cast<ptrdiff_t>(y) * sourceStride;
            float* out = horizontal.data() + rowFloats * static_cast<size_t>(y);
            for (int32_t x = 0; x < newWidth; ++x) {
                const auto& c = columns[static_cast<size_t>(x)];
                for (int32_t ch = 0; ch < bpp; ++ch) {
                    float sum = 0.0f;
                    const uint8_t* p = in + static_cast<ptrdiff_t>(c.first) * bpp + ch;
                    for (float w : c.weights) {
                        sum += w * *p;
                        p += bpp;
                    }
                    out[static_cast<size_t>(x) * bpp + ch] = sum;
                }
            }
        }

#pragma omp parallel for schedule(static) if (static_cast<int64_t>(newHeight) * newWidth > 65536)
        for (int32_t y = 0; y < newHeight; ++y) {
            const auto& c = rows[static_cast<size_t>(y)];
            uint8_t* out = destination + static_cast<ptrdiff_t>(y) * destinationStride;
            for (size_t i = 0; i < rowFloats; ++i) {
                float sum = 0.0f;
                const float* p = horizontal.data() + rowFloats * static_cast<size_t>(c.first) + i;
                for (float w : c.weights) {
                    sum += w * *p;
                    p += rowFloats;
                }
                out[i] = toByte(sum);
            }
        }
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

bool is5_ResizeImage(const uint8_t* source, int32_t width, int32_t height, int32_t sourceStride,
                     uint8_t* destination, int32_t newWidth, int32_t newHeight, int32_t destinationStride,
                     int32_t bytesPerPixel, int32_t filterCode, uint32_t /*flags*/) {
    return resampleWith(filterCode, source, width, height, sourceStride, destination, newWidth, newHeight,
                        destinationStride, bytesPerPixel);
}

bool IS3DecimateImage(const uint8_t* source, int32_t width, int32_t height, int32_t sourceStride,
                      uint8_t* destination, int32_t newWidth, int32_t newHeight, int32_t destinationStride,
                      int32_t bytesPerPixel, uint32_t /*flags*/) {
    return resampleWith(kAreaAverageCode, source, width, height, sourceStride, destination, newWidth, newHeight,
                        destinationStride, bytesPerPixel);
}

bool IS3ResizeImage(const uint8_t* source, int32_t width, int32_t height, int32_t sourceStride,
                    uint8_t* destination, int32_t newWidth, int32_t newHeight, int32_t destinationStride,
                    int32_t bytesPerPixel) {
    constexpr int32_t kBicubic = 17;
    return resampleWith(kBicubic, source, width, height, sourceStride, destination, newWidth, newHeight,
                        destinationStride, bytesPerPixel);
}
