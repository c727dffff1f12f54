#include "imaging/lib/procedural_ops/sampling.h"

#include <cmath>
#include <cstring>
#include <new>

namespace dro::procedural_ops {
namespace {

inline double snapped(double v) noexcept {
    const double r = std::nearbyint(v);
    return std::fabs(v - r) < kSnap ? r : v;
}

// The pixel index an edge rule gives for i, or -1 for none.
inline int64_t edgeIndex(int64_t i, int32_t size, SampleEdge edge) noexcept {
    if (i >= 0 && i < size) return i;
    switch (edge) {
        case SampleEdge::wrap: {
            const int64_t m = i % size;
            return m < 0 ? m + size : m;
        }
        case SampleEdge::transparent: return -1;
        case SampleEdge::clamp: break;
    }
    return i < 0 ? 0 : size - 1;
}

}  // namespace

SampleEdge sampleEdgeFromValue(int32_t value) noexcept {
    switch (value) {
        case 1: return SampleEdge::wrap;
        case 2: return SampleEdge::transparent;
        default: return SampleEdge::clamp;
    }
}

bool validImage(const uint8_t* image, int32_t width, int32_t height, int32_t stride) noexcept {
    return image && width > 0 && height > 0 && int64_t{stride} >= int64_t{width} * 4;
}

bool SourceCopy::load(const uint8_t* image, int32_t w, int32_t h, int32_t stride) noexcept {
    width = w;
    height = h;
    pixels.reset(new (std::nothrow) uint8_t[static_cast<size_t>(w) * static_cast<size_t>(h) * 4]);
    if (!pixels) return false;
    for (int32_t y = 0; y < h; ++y)
        std::memcpy(pixels.get() + static_cast<size_t>(y) * static_cast<size_t>(w) * 4,
                    image + static_cast<size_t>(y) * static_cast<size_t>(stride), static_cast<size_t>(w) * 4);
    return true;
}

bool PremultipliedImage::load(const uint8_t* image, int32_t w, int32_t h, int32_t stride) noexcept {
    width = w;
    height = h;
    channels.reset(new (std::nothrow) uint16_t[static_cast<size_t>(w) * static_cast<size_t>(h) * 4]);
    if (!channels) return false;
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* in = image + static_cast<size_t>(y) * static_cast<size_t>(stride);
        uint16_t* out = pixel(0, y);
        for (int32_t x = 0; x < w; ++x, in += 4, out += 4) {
            const uint32_t a = in[3];
            out[0] = static_cast<uint16_t>(in[0] * a);
            out[1] = static_cast<uint16_t>(in[1] * a);
            out[2] = static_cast<uint16_t>(in[2] * a);
            out[3] = static_cast<uint16_t>(a * 255);
        }
    }
    return true;
}

void PremultipliedImage::store(uint8_t* image, int32_t stride) const noexcept {
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* out = image + static_cast<size_t>(y) * static_cast<size_t>(stride);
        const uint16_t* in = pixel(0, y);
        for (int32_t x = 0; x < width; ++x, in += 4, out += 4) {
            const float p[4] = {float(in[0]), float(in[1]), float(in[2]), float(in[3])};
            storePixel(p, out);
        }
    }
}

void sampleAtEdge(const SourceCopy& source, double x, double y, SampleEdge edge, float out[4]) noexcept {
    out[0] = out[1] = out[2] = out[3] = 0;
    x = snapped(x);
    y = snapped(y);
    // Far outside: nothing to blend (also keeps the integer conversion in range).
    const double limit = 4.0 * (double(source.width) + double(source.height)) + 1e6;
    if (!(std::fabs(x) < limit && std::fabs(y) < limit)) {
        if (edge != SampleEdge::clamp || !std::isfinite(x) || !std::isfinite(y)) return;
        x = std::fmax(-1.0, std::fmin(x, double(source.width)));
        y = std::fmax(-1.0, std::fmin(y, double(source.height)));
    }
    const double fx0 = std::floor(x);
    const double fy0 = std::floor(y);
    const double fx = x - fx0;
    const double fy = y - fy0;
    const auto x0 = static_cast<int64_t>(fx0);
    const auto y0 = static_cast<int64_t>(fy0);
    const double weight[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
    const int64_t xs[2] = {edgeIndex(x0, source.width, edge), edgeIndex(x0 + 1, source.width, edge)};
    const int64_t ys[2] = {edgeIndex(y0, source.height, edge), edgeIndex(y0 + 1, source.height, edge)};
    for (int k = 0; k < 4; ++k) {
        const int64_t sx = xs[k & 1];
        const int64_t sy = ys[k >> 1];
        if (weight[k] == 0.0 || sx < 0 || sy < 0) continue;
        addTap(source.pixel(static_cast<int32_t>(sx), static_cast<int32_t>(sy)), static_cast<float>(weight[k]), out);
    }
}

}  // namespace dro::procedural_ops
