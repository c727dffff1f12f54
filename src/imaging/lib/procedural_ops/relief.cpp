// Filters that read the image as a surface: edges, lit bumps and grey emboss. Alpha is
// kept; colour under alpha 0 is treated like any other, as these move nothing.
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "imaging/lib/procedural_ops/procedural_ops.h"
#include "imaging/lib/procedural_ops/sampling.h"

namespace dro::procedural_ops {
namespace {

// One channel of the image (or its lightness) as a plane, read with clamped edges.
struct Plane {
    int32_t width = 0, height = 0;
    std::vector<float> values;
    float at(int32_t x, int32_t y) const noexcept {
        x = std::clamp(x, 0, width - 1);
        y = std::clamp(y, 0, height - 1);
        return values[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
    // The Sobel gradient: eight times the slope per pixel.
    void sobel(int32_t x, int32_t y, double& gx, double& gy) const noexcept {
        gx = (at(x + 1, y - 1) + 2.0 * at(x + 1, y) + at(x + 1, y + 1)) -
             (at(x - 1, y - 1) + 2.0 * at(x - 1, y) + at(x - 1, y + 1));
        gy = (at(x - 1, y + 1) + 2.0 * at(x, y + 1) + at(x + 1, y + 1)) -
             (at(x - 1, y - 1) + 2.0 * at(x, y - 1) + at(x + 1, y - 1));
    }
};

inline uint8_t* rowOf(uint8_t* image, int32_t stride, int32_t y) noexcept {
    return image + static_cast<size_t>(y) * static_cast<size_t>(stride);
}

// channel 0-2 copies that channel, 4 takes the lightness (Rec. 601 weights).
bool readPlane(const uint8_t* image, int32_t width, int32_t height, int32_t stride, int channel, Plane& plane) {
    plane.width = width;
    plane.height = height;
    try {
        plane.values.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* in = image + static_cast<size_t>(y) * static_cast<size_t>(stride);
        float* out = plane.values.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int32_t x = 0; x < width; ++x, in += 4)
            out[x] = channel == 4 ? 0.299f * in[0] + 0.587f * in[1] + 0.114f * in[2] : float(in[channel]);
    }
    return true;
}

inline uint8_t toByte(double v) noexcept {
    return static_cast<uint8_t>(v >= 255.0 ? 255 : (v <= 0.0 ? 0 : static_cast<int>(v + 0.5)));
}

// The light falling on the lightness surface: the cosine between its normal and the
// light, for each pixel. White stands depth × 4 pixels above black.
template <class Apply>
bool lightSurface(uint8_t* image, int32_t width, int32_t height, int32_t stride, int32_t azimuth,
                  double elevation, int32_t depth, const Apply& apply) noexcept {
    if (!validImage(image, width, height, stride)) return false;
    Plane lightness;
    if (!readPlane(image, width, height, stride, 4, lightness)) return false;
    const double az = (azimuth % 360) * (kPi / 180.0);
    const double el = elevation * (kPi / 180.0);
    // y points down on screen, so a light from above-right has a negative y.
    const double lx = std::cos(el) * std::cos(az), ly = -std::cos(el) * std::sin(az), lz = std::sin(el);
    const double scale = std::clamp(depth, -10000, 10000) * 0.01 * 4.0 / (8.0 * 255.0);
#pragma omp parallel for schedule(static) if (int64_t{width} * height >= kParallelPixels)
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* px = rowOf(image, stride, y);
        for (int32_t x = 0; x < width; ++x, px += 4) {
            double gx, gy;
            lightness.sobel(x, y, gx, gy);
            const double nx = -gx * scale, ny = -gy * scale;
            const double cosine = (nx * lx + ny * ly + lz) / std::sqrt(nx * nx + ny * ny + 1.0);
            apply(px, std::max(0.0, cosine));
        }
    }
    return true;
}

}  // namespace

bool edge(uint8_t* image, int32_t width, int32_t height, int32_t stride, const EdgeParams& p) noexcept {
    if (!validImage(image, width, height, stride)) return false;
    const double gain = std::clamp(p.strength, 0, 100000) * 0.01 / 4.0;  // a full step: Sobel 4 × 255
    for (int channel = 0; channel < 3; ++channel) {
        Plane plane;
        if (!readPlane(image, width, height, stride, channel, plane)) return false;
#pragma omp parallel for schedule(static) if (int64_t{width} * height >= kParallelPixels)
        for (int32_t y = 0; y < height; ++y) {
            uint8_t* px = rowOf(image, stride, y) + channel;
            for (int32_t x = 0; x < width; ++x, px += 4) {
                double gx, gy;
                plane.sobel(x, y, gx, gy);
                const uint8_t v = toByte(std::hypot(gx, gy) * gain);
                *px = p.invert == 1 ? static_cast<uint8_t>(255 - v) : v;
            }
        }
    }
    return true;
}

bool bump(uint8_t* image, int32_t width, int32_t height, int32_t stride, const BumpParams& p) noexcept {
    const double elevation = std::clamp(p.elevation, 1, 90);
    // Relative to a flat area's light, so flat areas keep their colour.
    const double flat = std::sin(elevation * (kPi / 180.0));
    return lightSurface(image, width, height, stride, p.azimuth, elevation, p.depth, [&](uint8_t* px, double light) {
        const double gain = light / flat;
        for (int c = 0; c < 3; ++c) px[c] = toByte(px[c] * gain);
    });
}

bool emboss(uint8_t* image, int32_t width, int32_t height, int32_t stride, const EmbossParams& p) noexcept {
    const double elevation = std::clamp(p.elevation, 0, 90);
    return lightSurface(image, width, height, stride, p.azimuth, elevation, p.depth, [](uint8_t* px, double light) {
        px[0] = px[1] = px[2] = toByte(light * 255.0);
    });
}

}  // namespace dro::procedural_ops
