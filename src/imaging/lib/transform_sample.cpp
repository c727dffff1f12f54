#include "imaging/lib/transform_sample.h"

#include <algorithm>

namespace dro::lib {
namespace {

// Catmull-Rom weights of the four taps around each 1/256 fraction; the weights sum
// to 1 and a whole position weighs only its own pixel.
struct CubicWeights {
    std::array<std::array<float, 4>, 256> at{};
    CubicWeights() noexcept {
        for (int f = 0; f < 256; ++f) {
            const float t = f / 256.0f, t2 = t * t, t3 = t2 * t;
            at[static_cast<size_t>(f)] = {0.5f * (-t3 + 2 * t2 - t), 0.5f * (3 * t3 - 5 * t2 + 2),
                                          0.5f * (-3 * t3 + 4 * t2 + t), 0.5f * (t3 - t2)};
        }
    }
};

const CubicWeights kCubic;

}  // namespace

void sampleBicubicPremultiplied(const SampleSource& s, double x, double y, uint8_t* out) noexcept {
    int64_t ix, iy;
    int32_t fx, fy;
    if (!fixedPoint(x, ix, fx) || !fixedPoint(y, iy, fy)) return farValue(s, out);
    if (fx == 0 && fy == 0) {  // on a pixel centre: that pixel, exactly
        const uint8_t* p = s.at(ix, iy);
        for (int c = 0; c < 4; ++c)
            out[c] = p[c];
        return;
    }
    const auto& wx = kCubic.at[static_cast<size_t>(fx)];
    const auto& wy = kCubic.at[static_cast<size_t>(fy)];
    const bool inside = ix >= 1 && iy >= 1 && ix < s.width - 2 && iy < s.height - 2;
    float sum[4] = {0, 0, 0, 0};
    for (int j = 0; j < 4; ++j) {
        float row[4] = {0, 0, 0, 0};
        for (int i = 0; i < 4; ++i) {
            const uint8_t* p = inside ? s.pixels + static_cast<ptrdiff_t>(iy - 1 + j) * s.stride +
                                            static_cast<ptrdiff_t>(ix - 1 + i) * 4
                                      : s.at(ix - 1 + i, iy - 1 + j);
            for (int c = 0; c < 4; ++c)
                row[c] += wx[static_cast<size_t>(i)] * p[c];
        }
        for (int c = 0; c < 4; ++c)
            sum[c] += wy[static_cast<size_t>(j)] * row[c];
    }
    // The overshoot of the cubic must not leave colour brighter than its alpha.
    const float alpha = std::clamp(sum[3] + 0.5f, 0.0f, 255.0f);
    out[3] = static_cast<uint8_t>(alpha);
    for (int c = 0; c < 3; ++c)
        out[c] = static_cast<uint8_t>(std::clamp(sum[c] + 0.5f, 0.0f, float(out[3])));
}

SampleFilter sampleFilterFromMode(int32_t mode) noexcept {
    switch (mode) {
        case 0:
            return SampleFilter::bilinearStraight;
        case 2:
            return SampleFilter::bicubicPremultiplied;
        default:
            return SampleFilter::bilinearPremultiplied;
    }
}

std::array<uint8_t, 4> sampleBackground(uint32_t colour, SampleFilter filter) noexcept {
    std::array<uint8_t, 4> bg{static_cast<uint8_t>(colour), static_cast<uint8_t>(colour >> 8),
                              static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 24)};
    if (filter != SampleFilter::bilinearStraight)
        for (int c = 0; c < 3; ++c)
            bg[static_cast<size_t>(c)] = static_cast<uint8_t>((bg[static_cast<size_t>(c)] * bg[3] + 127) / 255);
    return bg;
}

}  // namespace dro::lib
