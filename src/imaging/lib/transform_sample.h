// Reading an RGBA32 image at a point between pixel centres, for the inverse-mapping
// transforms and the polygon warp. Pixel centres are at whole coordinates. Points
// are resolved to 1/256 pixel, so a whole coordinate reads its pixel exactly; the
// edge rule supplies the pixels outside the image.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "imaging/lib/transform_chain.h"

namespace dro::lib {

enum class SampleFilter : uint8_t {
    bilinearStraight,       // colour not premultiplied: neighbours weigh by their alpha
    bilinearPremultiplied,  // premultiplied colour: plain weights
    bicubicPremultiplied,   // Catmull-Rom, kept within 0 <= colour <= alpha
};

struct SampleSource {
    const uint8_t* pixels = nullptr;
    int32_t width = 0, height = 0;
    ptrdiff_t stride = 0;
    EdgeMode edge = EdgeMode::transparent;
    std::array<uint8_t, 4> background{};  // premultiplied for the premultiplied filters

    // The pixel at a whole position, with the edge rule outside the image.
    const uint8_t* at(int64_t x, int64_t y) const noexcept {
        static constexpr uint8_t kClear[4] = {0, 0, 0, 0};
        if (x < 0 || y < 0 || x >= width || y >= height) {
            switch (edge) {
                case EdgeMode::transparent:
                    return kClear;
                case EdgeMode::background:
                    return background.data();
                case EdgeMode::wrap:
                    x %= width, y %= height;
                    x += x < 0 ? width : 0, y += y < 0 ? height : 0;
                    break;
                case EdgeMode::repeatEdge:
                    x = x < 0 ? 0 : (x >= width ? width - 1 : x);
                    y = y < 0 ? 0 : (y >= height ? height - 1 : y);
                    break;
            }
        }
        return pixels + static_cast<ptrdiff_t>(y) * stride + static_cast<ptrdiff_t>(x) * 4;
    }
};

// A point as whole pixel plus 1/256 fraction; false for points too far out to
// resolve (NaN included), which take the edge rule's far value.
inline bool fixedPoint(double v, int64_t& whole, int32_t& fraction) noexcept {
    if (!(std::fabs(v) < 1e12)) return false;
    // Rounds half up; a cast and a correction instead of a library call.
    const double scaled = v * 256.0 + 0.5;
    int64_t fixed = static_cast<int64_t>(scaled);
    fixed -= static_cast<double>(fixed) > scaled ? 1 : 0;
    whole = fixed >> 8;
    fraction = static_cast<int32_t>(fixed & 255);
    return true;
}

// The value of a point too far out (or not a number): the background where there is
// one, else transparent.
inline void farValue(const SampleSource& s, uint8_t* out) noexcept {
    for (int c = 0; c < 4; ++c)
        out[c] = s.edge == EdgeMode::background ? s.background[static_cast<size_t>(c)] : 0;
}

inline void sampleBilinearPremultiplied(const SampleSource& s, double x, double y, uint8_t* out) noexcept {
    int64_t ix, iy;
    int32_t fx, fy;
    if (!fixedPoint(x, ix, fx) || !fixedPoint(y, iy, fy)) return farValue(s, out);
    const uint8_t *p00, *p10, *p01, *p11;
    if (ix >= 0 && iy >= 0 && ix < s.width - 1 && iy < s.height - 1) {
        p00 = s.pixels + static_cast<ptrdiff_t>(iy) * s.stride + static_cast<ptrdiff_t>(ix) * 4;
        p10 = p00 + 4, p01 = p00 + s.stride, p11 = p01 + 4;
    } else {
        p00 = s.at(ix, iy), p10 = s.at(ix + 1, iy), p01 = s.at(ix, iy + 1), p11 = s.at(ix + 1, iy + 1);
    }
    const uint32_t w00 = static_cast<uint32_t>((256 - fx) * (256 - fy)), w10 = static_cast<uint32_t>(fx * (256 - fy));
    const uint32_t w01 = static_cast<uint32_t>((256 - fx) * fy), w11 = static_cast<uint32_t>(fx * fy);
    for (int c = 0; c < 4; ++c)
        out[c] = static_cast<uint8_t>((p00[c] * w00 + p10[c] * w10 + p01[c] * w01 + p11[c] * w11 + 32768) >> 16);
}

// Colour weighs by alpha as well, so a transparent neighbour lends no colour. The
// procedural distortions' sampleInto (procedural_ops/sampling.h) weighs the same taps
// but divides by a float reciprocal and clears a pixel whose alpha rounds to 0; the two
// are kept apart because folding them would change one family's pixels.
inline void sampleBilinearStraight(const SampleSource& s, double x, double y, uint8_t* out) noexcept {
    int64_t ix, iy;
    int32_t fx, fy;
    if (!fixedPoint(x, ix, fx) || !fixedPoint(y, iy, fy)) return farValue(s, out);
    const uint8_t* p[4] = {s.at(ix, iy), s.at(ix + 1, iy), s.at(ix, iy + 1), s.at(ix + 1, iy + 1)};
    const uint64_t w[4] = {uint64_t(256 - fx) * uint64_t(256 - fy), uint64_t(fx) * uint64_t(256 - fy),
                           uint64_t(256 - fx) * uint64_t(fy), uint64_t(fx) * uint64_t(fy)};
    uint64_t alpha = 0, colour[3] = {0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        const uint64_t wa = w[i] * p[i][3];
        alpha += wa;
        for (int c = 0; c < 3; ++c)
            colour[c] += wa * p[i][c];
    }
    for (int c = 0; c < 3; ++c)
        out[c] = static_cast<uint8_t>(alpha ? (colour[c] + alpha / 2) / alpha : 0);
    out[3] = static_cast<uint8_t>((alpha + 32768) >> 16);
}

void sampleBicubicPremultiplied(const SampleSource& s, double x, double y, uint8_t* out) noexcept;

inline void samplePoint(SampleFilter filter, const SampleSource& s, double x, double y, uint8_t* out) noexcept {
    switch (filter) {
        case SampleFilter::bilinearStraight:
            return sampleBilinearStraight(s, x, y, out);
        case SampleFilter::bilinearPremultiplied:
            return sampleBilinearPremultiplied(s, x, y, out);
        case SampleFilter::bicubicPremultiplied:
            return sampleBicubicPremultiplied(s, x, y, out);
    }
}

// The filter a process mode asks for: 0 straight bilinear, 1 premultiplied bilinear,
// 2 premultiplied bicubic; other values count as 1.
SampleFilter sampleFilterFromMode(int32_t mode) noexcept;

// The background as the filter wants it: R | G << 8 | B << 16 | A << 24, premultiplied
// for the premultiplied filters.
std::array<uint8_t, 4> sampleBackground(uint32_t colour, SampleFilter filter) noexcept;

}  // namespace dro::lib
