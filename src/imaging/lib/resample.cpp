#include "imaging/lib/resample.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#include "core/vector_types.h"
#include "imaging/lib/codecs/codec_types.h"
#include "imaging/lib/resample_contributions.h"
#include "imaging/lib/resample_kernels.h"

namespace {

using dro::resample::AxisWeights;

constexpr int32_t kAreaAverageCode = 15;

// Round half away from zero, clamped to a byte: lround's result without its library
// call. Adding 0.5 in double is exact for any float, so the floor is the true one;
// NaN goes to 0 with the negatives.
uint8_t toByte(float v) {
    if (!(v > 0.0f)) return 0;
    if (v >= 255.0f) return 255;
    return static_cast<uint8_t>(static_cast<double>(v) + 0.5);
}

bool validBlock(const uint8_t* block, int32_t width, int32_t height, int32_t stride, int32_t bytesPerPixel) {
    return block && width > 0 && height > 0 && bytesPerPixel > 0 && bytesPerPixel <= 8 &&
           static_cast<int64_t>(stride) >= static_cast<int64_t>(width) * bytesPerPixel &&
           dro::codecs::checkedImageBytes(width, height, bytesPerPixel).has_value();
}

// Premultiplying changes nothing when every pixel has the same alpha (the factor
// cancels), and would lose the colour of a uniformly transparent image; it is used
// only where alpha actually varies.
bool alphaVaries(const uint8_t* source, int32_t width, int32_t height, int32_t stride) {
    const uint8_t first = source[3];
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = source + static_cast<ptrdiff_t>(y) * stride;
        for (int32_t x = 0; x < width; ++x)
            if (row[x * 4 + 3] != first) return true;
    }
    return false;
}

// Four float lanes, one per channel of an RGBA pixel.
using Lanes = dro::F32x4;

// One source row resampled across into floats (premultiplied colour when asked).
// RGBA rows are first widened to float pixels, so each tap is one four-lane multiply-add.
template <bool Premultiplied>
void resampleRowRgba(const uint8_t* in, float* out, const AxisWeights& columns, std::vector<Lanes>& widened,
                     int32_t width) {
    widened.resize(static_cast<size_t>(width));
    for (int32_t x = 0; x < width; ++x) {
        const uint8_t* p = in + static_cast<ptrdiff_t>(x) * 4;
        const float alpha = p[3];
        const float scale = Premultiplied ? alpha : 1.0f;
        widened[static_cast<size_t>(x)] = Lanes{p[0] * scale, p[1] * scale, p[2] * scale, alpha};
    }
    const int32_t taps = columns.taps;
    const int32_t count = columns.count();
    const auto pixelsOf = [&](int32_t x) { return widened.data() + columns.first[static_cast<size_t>(x)]; };
    int32_t x = 0;
    // Four destination pixels at once: four independent sums hide the add latency,
    // and each pixel still adds its taps in order, so the bytes are the one-at-a-time ones.
    for (; x + 4 <= count; x += 4) {
        const float* w = columns.weightsOf(x);
        const Lanes *p0 = pixelsOf(x), *p1 = pixelsOf(x + 1), *p2 = pixelsOf(x + 2), *p3 = pixelsOf(x + 3);
        Lanes a0 = {}, a1 = {}, a2 = {}, a3 = {};
        for (int32_t t = 0; t < taps; ++t) {
            a0 += w[t] * p0[t];
            a1 += w[taps + t] * p1[t];
            a2 += w[2 * taps + t] * p2[t];
            a3 += w[3 * taps + t] * p3[t];
        }
        float* o = out + static_cast<size_t>(x) * 4;
        std::memcpy(o, &a0, sizeof a0);
        std::memcpy(o + 4, &a1, sizeof a1);
        std::memcpy(o + 8, &a2, sizeof a2);
        std::memcpy(o + 12, &a3, sizeof a3);
    }
    for (; x < count; ++x) {
        const float* w = columns.weightsOf(x);
        const Lanes* p = pixelsOf(x);
        Lanes acc = {0.0f, 0.0f, 0.0f, 0.0f};
        for (int32_t t = 0; t < taps; ++t) acc += w[t] * p[t];
        std::memcpy(out + static_cast<size_t>(x) * 4, &acc, sizeof acc);
    }
}

void resampleRowAny(const uint8_t* in, float* out, const AxisWeights& columns, int32_t channels) {
    const int32_t taps = columns.taps;
    for (int32_t x = 0; x < columns.count(); ++x) {
        const float* w = columns.weightsOf(x);
        const uint8_t* p = in + static_cast<ptrdiff_t>(columns.first[static_cast<size_t>(x)]) * channels;
        float acc[8] = {};
        for (int32_t t = 0; t < taps; ++t, p += channels)
            for (int32_t ch = 0; ch < channels; ++ch) acc[ch] += w[t] * p[ch];
        for (int32_t ch = 0; ch < channels; ++ch) out[static_cast<size_t>(x) * channels + ch] = acc[ch];
    }
}

void resampleRow(const uint8_t* in, float* out, const AxisWeights& columns, int32_t bpp, int32_t width,
                 bool premultiplied, std::vector<Lanes>& widened) {
    if (bpp != 4) return resampleRowAny(in, out, columns, bpp);
    if (premultiplied) return resampleRowRgba<true>(in, out, columns, widened, width);
    resampleRowRgba<false>(in, out, columns, widened, width);
}

// sums += weight * row, four lanes at a time.
void addWeighted(float* sums, const float* row, float weight, size_t count) {
    size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        Lanes a, b;
        std::memcpy(&a, sums + i, sizeof a);
        std::memcpy(&b, row + i, sizeof b);
        a += weight * b;
        std::memcpy(sums + i, &a, sizeof a);
    }
    for (; i < count; ++i) sums[i] += weight * row[i];
}

void storeRow(const float* sums, uint8_t* out, int32_t width, int32_t bpp, bool premultiplied) {
    if (!premultiplied) {
        for (size_t i = 0; i < static_cast<size_t>(width) * bpp; ++i) out[i] = toByte(sums[i]);
        return;
    }
    for (int32_t x = 0; x < width; ++x) {
        const float* s = sums + static_cast<size_t>(x) * 4;
        uint8_t* o = out + static_cast<size_t>(x) * 4;
        const uint8_t alpha = toByte(s[3]);
        o[3] = alpha;
        // Colour of a pixel that ends up fully transparent carries no meaning.
        const float inverse = alpha == 0 ? 0.0f : 1.0f / s[3];
        for (int ch = 0; ch < 3; ++ch) o[ch] = toByte(s[ch] * inverse);
    }
}

// Output rows are made down each column from a small ring of rows already resampled
// across, so the working memory is a few rows whatever the image size; each thread
// keeps its own ring over its own band of output rows.
bool resampleWith(int32_t code, const uint8_t* source, int32_t width, int32_t height, int32_t sourceStride,
                  uint8_t* destination, int32_t newWidth, int32_t newHeight, int32_t destinationStride,
                  int32_t bpp) {
    if (!validBlock(source, width, height, sourceStride, bpp) ||
        !validBlock(destination, newWidth, newHeight, destinationStride, bpp))
        return false;
    try {
        const AxisWeights columns = dro::resample::axisWeights(code, width, newWidth);
        const AxisWeights rows = dro::resample::axisWeights(code, height, newHeight);
        // Nearest neighbour mixes no pixels, so it copies them whole, colour under zero alpha too.
        const bool premultiplied = bpp == 4 && code != dro::resample::kNearestCode &&
                                   alphaVaries(source, width, height, sourceStride);
        const size_t rowFloats = static_cast<size_t>(newWidth) * static_cast<size_t>(bpp);
        const int32_t ringRows = rows.taps;
        bool failed = false;

#pragma omp parallel if (static_cast<int64_t>(newHeight) * newWidth > 65536)
        {
            std::vector<float> ring;
            std::vector<int32_t> ringTag;
            std::vector<float> sums;
            std::vector<Lanes> widened;
            try {
                ring.resize(rowFloats * static_cast<size_t>(ringRows));
                ringTag.assign(static_cast<size_t>(ringRows), -1);
                sums.resize(rowFloats);
            } catch (...) {
#pragma omp atomic write
                failed = true;
            }
            const bool ready = !ring.empty();
#pragma omp for schedule(static)
            for (int32_t y = 0; y < newHeight; ++y) {
                if (!ready) continue;
                const float* w = rows.weightsOf(y);
                const int32_t first = rows.first[static_cast<size_t>(y)];
                std::fill(sums.begin(), sums.end(), 0.0f);
                for (int32_t t = 0; t < rows.taps; ++t) {
                    const int32_t sourceRow = first + t;
                    const size_t slot = static_cast<size_t>(sourceRow % ringRows);
                    float* across_ = ring.data() + rowFloats * slot;
                    if (ringTag[slot] != sourceRow) {
                        resampleRow(source + static_cast<ptrdiff_t>(sourceRow) * sourceStride, across_, columns, bpp,
                                    width, premultiplied, widened);
                        ringTag[slot] = sourceRow;
                    }
                    if (w[t] == 0.0f) continue;
                    addWeighted(sums.data(), across_, w[t], rowFloats);
                }
                storeRow(sums.data(), destination + static_cast<ptrdiff_t>(y) * destinationStride, newWidth, bpp,
                         premultiplied);
            }
        }
        return !failed;
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
