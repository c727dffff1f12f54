// Premultiplied working copies and inverse-mapped bilinear sampling for the procedural
// distortions. Colour is held as c × a and alpha as a × 255, all four at one scale, so
// any operation that treats the four channels alike moves colour and alpha together,
// and a straight image survives the round trip exactly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/lib/procedural_ops/procedural_ops.h"

namespace dro::procedural_ops {

inline constexpr double kPi = 3.14159265358979323846;

// True when the arguments describe an image the operations can work on.
bool validImage(const uint8_t* image, int32_t width, int32_t height, int32_t stride) noexcept;

struct PremultipliedImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint16_t> channels;  // 4 per pixel, rows without padding

    // False when the copy cannot be allocated.
    bool load(const uint8_t* image, int32_t w, int32_t h, int32_t stride) noexcept;
    void store(uint8_t* image, int32_t stride) const noexcept;

    uint16_t* pixel(int32_t x, int32_t y) noexcept {
        return channels.data() + (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
    }
    const uint16_t* pixel(int32_t x, int32_t y) const noexcept {
        return channels.data() + (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
    }
};

// Writes one premultiplied pixel (doubles at the working scale) as straight RGBA32.
void storePixel(const double premultiplied[4], uint8_t* out) noexcept;

// A source position in pixel coordinates (pixel i's centre at i); `inside` false means
// the destination pixel has no source and becomes transparent.
struct SourcePoint {
    double x = 0;
    double y = 0;
    bool inside = true;
};

// Bilinear sample of the premultiplied image at (x, y) into out.
void sampleBilinear(const PremultipliedImage& source, double x, double y, SampleEdge edge, double out[4]) noexcept;

// Rows of at least this many pixels in all run on the OpenMP team.
inline constexpr int64_t kParallelPixels = 16384;

// Replaces every pixel of the image by the source sample its map names; map(x, y) must be
// pure, since rows run in parallel.
template <class Map>
bool remap(uint8_t* image, int32_t width, int32_t height, int32_t stride, SampleEdge edge, const Map& map) noexcept {
    if (!validImage(image, width, height, stride)) return false;
    PremultipliedImage source;
    if (!source.load(image, width, height, stride)) return false;
    const bool parallel = int64_t{width} * height >= kParallelPixels;
#pragma omp parallel for schedule(static) if (parallel)
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* out = image + static_cast<size_t>(y) * static_cast<size_t>(stride);
        for (int32_t x = 0; x < width; ++x, out += 4) {
            const SourcePoint s = map(x, y);
            double sample[4] = {0, 0, 0, 0};
            if (s.inside) sampleBilinear(source, s.x, s.y, edge, sample);
            storePixel(sample, out);
        }
    }
    return true;
}

}  // namespace dro::procedural_ops
