// Premultiplied working copies and inverse-mapped bilinear sampling for the procedural
// distortions. Premultiplied colour is c × a and alpha a × 255, all four at one scale,
// so any operation that treats the four channels alike moves colour and alpha together,
// and a straight image survives the round trip exactly.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "imaging/lib/procedural_ops/procedural_ops.h"

namespace dro::procedural_ops {

inline constexpr double kPi = 3.14159265358979323846;

// Sine and cosine of one angle together, for the per-pixel maps: a quarter-turn
// reduction and short series, within 1e-12 of the library's for any angle a map makes
// (|a| below 1e6), and exact at 0.
inline void sineCosine(double a, double& sine, double& cosine) noexcept {
    const double q = a * (2.0 / kPi);
    const auto k = static_cast<int64_t>(q + (q >= 0 ? 0.5 : -0.5));
    const double r = a - static_cast<double>(k) * (kPi / 2.0);  // |r| <= pi/4
    const double r2 = r * r;
    const double s = r * (1.0 + r2 * (-1.0 / 6 + r2 * (1.0 / 120 + r2 * (-1.0 / 5040 + r2 * (1.0 / 362880 +
                                                                                   r2 * (-1.0 / 39916800))))));
    const double c = 1.0 + r2 * (-0.5 + r2 * (1.0 / 24 + r2 * (-1.0 / 720 + r2 * (1.0 / 40320 + r2 * (-1.0 / 3628800 +
                                                                                   r2 * (1.0 / 479001600))))));
    switch (k & 3) {
        case 0: sine = s; cosine = c; return;
        case 1: sine = c; cosine = -s; return;
        case 2: sine = -s; cosine = -c; return;
        default: sine = -c; cosine = s; return;
    }
}

// True when the arguments describe an image the operations can work on.
bool validImage(const uint8_t* image, int32_t width, int32_t height, int32_t stride) noexcept;

// A premultiplied copy for operations that mix pixels in place.
struct PremultipliedImage {
    int32_t width = 0;
    int32_t height = 0;
    std::unique_ptr<uint16_t[]> channels;  // 4 per pixel, rows without padding

    // False when the copy cannot be allocated.
    bool load(const uint8_t* image, int32_t w, int32_t h, int32_t stride) noexcept;
    void store(uint8_t* image, int32_t stride) const noexcept;

    uint16_t* pixel(int32_t x, int32_t y) noexcept {
        return channels.get() + (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
    }
    const uint16_t* pixel(int32_t x, int32_t y) const noexcept {
        return channels.get() + (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
    }
};

// Writes one premultiplied pixel (at the working scale) as straight RGBA32.
inline void storePixel(const float premultiplied[4], uint8_t* out) noexcept {
    const float alpha = premultiplied[3];
    if (alpha < 127.5f) {  // rounds to alpha 0: transparent black
        out[0] = out[1] = out[2] = out[3] = 0;
        return;
    }
    const float unpremultiply = 255.0f / alpha;
    for (int c = 0; c < 3; ++c) {
        const float v = premultiplied[c] * unpremultiply + 0.5f;
        out[c] = static_cast<uint8_t>(v >= 255.0f ? 255 : static_cast<int>(v));
    }
    const float a = alpha * (1.0f / 255.0f) + 0.5f;
    out[3] = static_cast<uint8_t>(a >= 255.0f ? 255 : static_cast<int>(a));
}

// A source position in pixel coordinates (pixel i's centre at i); `inside` false means
// the destination pixel has no source and becomes transparent.
struct SourcePoint {
    double x = 0;
    double y = 0;
    bool inside = true;
};

// The untouched source of a remap: a straight copy, premultiplied tap by tap (half the
// memory of a premultiplied copy, and the taps are few).
struct SourceCopy {
    int32_t width = 0;
    int32_t height = 0;
    std::unique_ptr<uint8_t[]> pixels;  // RGBA32, rows without padding

    // False when the copy cannot be allocated.
    bool load(const uint8_t* image, int32_t w, int32_t h, int32_t stride) noexcept;
    const uint8_t* pixel(int32_t x, int32_t y) const noexcept {
        return pixels.get() + (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
    }
};

// Adds weight × the premultiplied tap to out.
inline void addTap(const uint8_t* tap, float weight, float out[4]) noexcept {
    const float wa = weight * tap[3];
    out[0] += wa * tap[0];
    out[1] += wa * tap[1];
    out[2] += wa * tap[2];
    out[3] += wa * 255.0f;
}

// The bilinear sample where a tap falls outside the image or the position is far off.
void sampleAtEdge(const SourceCopy& source, double x, double y, SampleEdge edge, float out[4]) noexcept;

// Positions within this of a pixel centre count as on it, so exact maps copy exactly.
inline constexpr double kSnap = 1e-6;

// The bilinear sample at (x, y), written as straight RGBA32. Inside the image the
// position is taken to 1/256 pixel and the taps are weighted in integers (the weights
// sum to 65536, so a sum of weight × alpha × colour stays within 32 bits).
// Not lib::sampleBilinearStraight (transform_sample.h): that one rounds by integer
// division and keeps colour where alpha rounds to 0, and the transforms' pixels rely on it.
inline void sampleInto(const SourceCopy& source, double x, double y, SampleEdge edge, uint8_t* out) noexcept {
    if (x >= 0.0 && y >= 0.0 && x < source.width - 1 && y < source.height - 1 && source.width < (1 << 22) &&
        source.height < (1 << 22)) {
        const auto fixedX = static_cast<int32_t>(x * 256.0 + 0.5);
        const auto fixedY = static_cast<int32_t>(y * 256.0 + 0.5);
        const int32_t x0 = fixedX >> 8, y0 = fixedY >> 8;
        if (x0 < source.width - 1 && y0 < source.height - 1) {
            const uint32_t fx = static_cast<uint32_t>(fixedX & 255), fy = static_cast<uint32_t>(fixedY & 255);
            const uint8_t* p = source.pixel(x0, y0);
            const uint8_t* below = p + static_cast<size_t>(source.width) * 4;
            const uint32_t wa[4] = {(256 - fx) * (256 - fy) * p[3], fx * (256 - fy) * p[7], (256 - fx) * fy * below[3],
                                    fx * fy * below[7]};
            const uint32_t alpha = wa[0] + wa[1] + wa[2] + wa[3];
            if (alpha < 32768) {  // rounds to alpha 0: transparent black
                out[0] = out[1] = out[2] = out[3] = 0;
                return;
            }
            const float unpremultiply = 1.0f / static_cast<float>(alpha);
            for (int c = 0; c < 3; ++c) {
                const uint32_t sum = wa[0] * p[c] + wa[1] * p[4 + c] + wa[2] * below[c] + wa[3] * below[4 + c];
                out[c] = static_cast<uint8_t>(static_cast<float>(sum) * unpremultiply + 0.5f);
            }
            out[3] = static_cast<uint8_t>((alpha + 32768) >> 16);
            return;
        }
    }
    float sum[4] = {0, 0, 0, 0};
    sampleAtEdge(source, x, y, edge, sum);
    storePixel(sum, out);
}

// Images of at least this many pixels run on the OpenMP team.
inline constexpr int64_t kParallelPixels = 16384;
// Output is walked in square tiles: a map's neighbouring pixels read neighbouring source
// pixels, so a tile's taps stay in cache where a whole row's would not.
inline constexpr int32_t kRemapTile = 64;

// Replaces every pixel of the image by the source sample its map names; map(x, y) must be
// pure, since tiles run in parallel.
template <class Map>
bool remap(uint8_t* image, int32_t width, int32_t height, int32_t stride, SampleEdge edge, const Map& map) noexcept {
    if (!validImage(image, width, height, stride)) return false;
    SourceCopy source;
    if (!source.load(image, width, height, stride)) return false;
    const bool parallel = int64_t{width} * height >= kParallelPixels;
    const int32_t tileRows = (height + kRemapTile - 1) / kRemapTile;
#pragma omp parallel for schedule(static) if (parallel)
    for (int32_t tileRow = 0; tileRow < tileRows; ++tileRow) {
        const int32_t top = tileRow * kRemapTile, bottom = std::min(height, top + kRemapTile);
        for (int32_t left = 0; left < width; left += kRemapTile) {
            const int32_t right = std::min(width, left + kRemapTile);
            for (int32_t y = top; y < bottom; ++y) {
                uint8_t* out = image + static_cast<size_t>(y) * static_cast<size_t>(stride) + static_cast<size_t>(left) * 4;
                for (int32_t x = left; x < right; ++x, out += 4) {
                    const SourcePoint s = map(x, y);
                    if (s.inside) {
                        sampleInto(source, s.x, s.y, edge, out);
                    } else {
                        out[0] = out[1] = out[2] = out[3] = 0;
                    }
                }
            }
        }
    }
    return true;
}

}  // namespace dro::procedural_ops
