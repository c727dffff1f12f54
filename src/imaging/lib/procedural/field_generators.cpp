// Generators that compute one value per pixel and colour it through the palette. The
// values are stretched to the full 0..1 range, so every style shows all its colours.
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "imaging/lib/procedural/generators.h"
#include "imaging/lib/procedural/raster.h"

namespace dro::procedural {
namespace {

constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;

using Field = std::vector<float>;

// Colours the field (width * height values) through the palette, stretched to 0..1.
void paintField(const Field& field, uint8_t* image, int32_t width, int32_t height, const Palette& palette) {
    float lo = std::numeric_limits<float>::max(), hi = std::numeric_limits<float>::lowest();
    for (float f : field) {
        lo = std::min(lo, f);
        hi = std::max(hi, f);
    }
    const float scale = hi > lo ? 1.0f / (hi - lo) : 0.0f;
    Raster raster(image, width, height);
#pragma omp parallel for schedule(static) if (int64_t{width} * height > 65536)
    for (int32_t y = 0; y < height; ++y) {
        const float* row = field.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int32_t x = 0; x < width; ++x) raster.set(x, y, palette.at((row[x] - lo) * scale));
    }
}

Palette paletteOf(const EffectValues& v) noexcept {
    return Palette(v[kStyleValue], static_cast<uint64_t>(v[kSeedValue]));
}

Field newField(int32_t width, int32_t height) {
    return Field(static_cast<size_t>(width) * static_cast<size_t>(height), 0.0f);
}

// The field of valueAt(x, y) for every pixel, rows in parallel on large images.
template <class ValueAt>
Field fieldOf(int32_t width, int32_t height, ValueAt&& valueAt) {
    Field field = newField(width, height);
#pragma omp parallel for schedule(static) if (int64_t{width} * height > 65536)
    for (int32_t y = 0; y < height; ++y) {
        float* row = field.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int32_t x = 0; x < width; ++x) row[x] = valueAt(x, y);
    }
    return field;
}

uint32_t hash(uint32_t seed, int32_t x, int32_t y) noexcept {
    uint32_t h = seed ^ (static_cast<uint32_t>(x) * 0x27d4eb2du) ^ (static_cast<uint32_t>(y) * 0x165667b1u);
    h ^= h >> 15;
    h *= 0x85ebca6bu;
    h ^= h >> 13;
    h *= 0xc2b2ae35u;
    return h ^ (h >> 16);
}

// Perlin's gradient noise with a seeded permutation, periodic over `period` cells.
class GradientNoise {
public:
    explicit GradientNoise(uint64_t seed) noexcept {
        Random r(seed);
        for (int32_t i = 0; i < 256; ++i) perm_[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
        for (int32_t i = 255; i > 0; --i) std::swap(perm_[static_cast<size_t>(i)], perm_[static_cast<size_t>(r.below(i + 1))]);
    }
    // About -1..1.
    float at(float x, float y, int32_t period) const noexcept {
        const float fx = std::floor(x), fy = std::floor(y);
        const int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
        const float dx = x - fx, dy = y - fy;
        const float u = fade(dx), v = fade(dy);
        const float n00 = grad(ix, iy, period, dx, dy), n10 = grad(ix + 1, iy, period, dx - 1, dy);
        const float n01 = grad(ix, iy + 1, period, dx, dy - 1), n11 = grad(ix + 1, iy + 1, period, dx - 1, dy - 1);
        const float a = n00 + (n10 - n00) * u, b = n01 + (n11 - n01) * u;
        return (a + (b - a) * v) * 1.41421356f;
    }

private:
    static float fade(float t) noexcept { return t * t * t * (t * (t * 6 - 15) + 10); }
    float grad(int32_t x, int32_t y, int32_t period, float dx, float dy) const noexcept {
        const auto wrap = [period](int32_t i) { return static_cast<size_t>(((i % period) + period) % period & 255); };
        const uint8_t h = perm_[(perm_[wrap(x)] + wrap(y)) & 255];
        constexpr float kDirections[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {0.7071f, 0.7071f}, {-0.7071f, 0.7071f},
                                             {0.7071f, -0.7071f}, {-0.7071f, -0.7071f}};
        return kDirections[h & 7][0] * dx + kDirections[h & 7][1] * dy;
    }
    std::array<uint8_t, 256> perm_{};
};

// Octaves of gradient noise; `shape` turns each octave's value before it is summed.
template <class Shape>
Field octaves(int32_t width, int32_t height, const EffectValues& v, Shape&& shape) {
    const GradientNoise noise(static_cast<uint64_t>(v[kSeedValue]));
    const float cell = static_cast<float>(v[2]);
    const float persistence = static_cast<float>(v[4]) * 0.01f;
    return fieldOf(width, height, [&](int32_t x, int32_t y) {
        float sum = 0.0f, amplitude = 1.0f, frequency = 1.0f / cell;
        for (int32_t o = 0; o < v[3]; ++o) {
            const float offset = static_cast<float>(o) * 17.3f;  // octaves do not line up on lattice points
            sum += amplitude * shape(noise.at(x * frequency + offset, y * frequency + offset, 256));
            amplitude *= persistence;
            frequency *= 2.0f;
        }
        return sum;
    });
}

}  // namespace

bool generatePlasma(uint8_t* image, int32_t width, int32_t height, const EffectValues& v) {
    // Diamond-square on a square torus of side n (a power of two), so the picture
    // tiles; the image samples it stretched to its own size.
    int32_t n = 2;
    while (n < std::max(width, height)) n *= 2;
    Field grid(static_cast<size_t>(n) * static_cast<size_t>(n), 0.0f);
    const auto at = [&](int32_t x, int32_t y) -> float& {
        return grid[static_cast<size_t>(y & (n - 1)) * static_cast<size_t>(n) + static_cast<size_t>(x & (n - 1))];
    };
    Random random(static_cast<uint64_t>(v[kSeedValue]));
    const float falloff = 0.35f + static_cast<float>(v[2]) * 0.004f;
    float amplitude = 1.0f;
    for (int32_t step = n; step > 1; step /= 2) {
        const int32_t half = step / 2;
        for (int32_t y = 0; y < n; y += step)
            for (int32_t x = 0; x < n; x += step)
                at(x + half, y + half) = (at(x, y) + at(x + step, y) + at(x, y + step) + at(x + step, y + step)) * 0.25f +
                                         random.range(-amplitude, amplitude);
        for (int32_t y = 0; y < n; y += half)
            for (int32_t x = (y / half) % 2 == 0 ? half : 0; x < n; x += step)
                at(x, y) = (at(x - half, y) + at(x + half, y) + at(x, y - half) + at(x, y + half)) * 0.25f +
                           random.range(-amplitude, amplitude);
        amplitude *= falloff;
    }
    Field field = newField(width, height);
    const float sx = static_cast<float>(n) / static_cast<float>(width), sy = static_cast<float>(n) / static_cast<float>(height);
#pragma omp parallel for schedule(static) if (int64_t{width} * height > 65536)
    for (int32_t y = 0; y < height; ++y) {
        const float gy = y * sy;
        const int32_t y0 = static_cast<int32_t>(gy);
        const float ty = gy - y0;
        for (int32_t x = 0; x < width; ++x) {
            const float gx = x * sx;
            const int32_t x0 = static_cast<int32_t>(gx);
            const float tx = gx - x0;
            const float top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * tx;
            const float bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * tx;
            field[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = top + (bottom - top) * ty;
        }
    }
    paintField(field, image, width, height, paletteOf(v));
    return true;
}

bool generateSinePlasma(uint8_t* image, int32_t width, int32_t height, const EffectValues& v) {
    struct Wave {
        float dx, dy, cx, cy, phase;
        bool radial;
    };
    Random random(static_cast<uint64_t>(v[kSeedValue]));
    std::vector<Wave> waves;
    const float wavelength = static_cast<float>(v[2]);
    for (int32_t i = 0; i < v[3]; ++i) {
        const float angle = random.range(0.0f, kTwoPi), k = kTwoPi / (wavelength * random.range(0.6f, 1.6f));
        waves.push_back({std::cos(angle) * k, std::sin(angle) * k, random.range(0.0f, static_cast<float>(width)),
                         random.range(0.0f, static_cast<float>(height)), random.range(0.0f, kTwoPi), i % 2 == 1});
    }
    const Field field = fieldOf(width, height, [&](int32_t x, int32_t y) {
        float sum = 0.0f;
        for (const Wave& w : waves) {
            const float along =
                w.radial ? std::hypot(x - w.cx, y - w.cy) * std::hypot(w.dx, w.dy) : x * w.dx + y * w.dy;
            sum += std::sin(along + w.phase);
        }
        return sum;
    });
    paintField(field, image, width, height, paletteOf(v));
    return true;
}

bool generatePerlinNoise(uint8_t* image, int32_t width, int32_t height, const EffectValues& v) {
    const Field field = octaves(width, height, v, [](float n) { return n; });
    paintField(field, image, width, height, paletteOf(v));
    return true;
}

bool generateFractalPlasma(uint8_t* image, int32_t width, int32_t height, const EffectValues& v) {
    // Ridged: each octave folds its noise at zero, which gives sharp crests.
    const Field field = octaves(width, height, v, [](float n) {
        const float ridge = 1.0f - std::fabs(n);
        return ridge * ridge;
    });
    paintField(field, image, width, height, paletteOf(v));
    return true;
}

bool generateNoise(uint8_t* image, int32_t width, int32_t height, const EffectValues& v) {
    const uint32_t seed = static_cast<uint32_t>(v[kSeedValue]);
    const int32_t grain = v[2];
    const Palette palette = paletteOf(v);
    Raster raster(image, width, height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t h = hash(seed, x / grain, y / grain);
            if (v[3] == 0) {
                raster.set(x, y, palette.at(static_cast<float>(h & 0xffff) / 65535.0f));
            } else {
                raster.set(x, y, Colour{static_cast<uint8_t>(h), static_cast<uint8_t>(h >> 8), static_cast<uint8_t>(h >> 16)});
            }
        }
    }
    return true;
}

bool generateBlobs(uint8_t* image, int32_t width, int32_t height, const EffectValues& v) {
    struct Ball {
        float x, y, r2;
    };
    Random random(static_cast<uint64_t>(v[kSeedValue]));
    std::vector<Ball> balls;
    const float largest = static_cast<float>(std::min(width, height)) * static_cast<float>(v[3]) * 0.01f;
    for (int32_t i = 0; i < v[2]; ++i) {
        const float r = largest * random.range(0.4f, 1.0f);
        balls.push_back({random.range(0.0f, static_cast<float>(width)), random.range(0.0f, static_cast<float>(height)), r * r});
    }
    // The sum of r^2 / d^2 is 1 on a lone ball's rim; softness widens the step there.
    const float soft = std::max(static_cast<float>(v[4]) * 0.01f, 0.001f);
    const Field field = fieldOf(width, height, [&](int32_t x, int32_t y) {
        float sum = 0.0f;
        for (const Ball& b : balls) {
            const float dx = x + 0.5f - b.x, dy = y + 0.5f - b.y;
            sum += b.r2 / (dx * dx + dy * dy + 1.0f);
        }
        return std::clamp((sum - 1.0f) / (2.0f * soft) + 0.5f, 0.0f, 1.0f);
    });
    // Not stretched: 0 and 1 mean outside and inside, whatever the picture holds.
    const Palette palette = paletteOf(v);
    Raster raster(image, width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            raster.set(x, y, palette.at(field[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]));
    return true;
}

bool generatePattern(uint8_t* image, int32_t width, int32_t height, const EffectValues& v) {
    const int32_t cell = v[3], colours = v[4];
    Random random(static_cast<uint64_t>(v[kSeedValue]));
    const int32_t ox = random.below(cell), oy = random.below(cell);
    const Palette palette = paletteOf(v);
    const auto colourOf = [&](int64_t index) {
        const int64_t k = ((index % colours) + colours) % colours;
        return palette.at(static_cast<float>(k) / static_cast<float>(colours - 1));
    };
    Raster raster(image, width, height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const int64_t px = int64_t{x} + ox, py = int64_t{y} + oy;
            const int64_t cx = px / cell, cy = py / cell;
            const float fx = static_cast<float>(px % cell) / cell - 0.5f, fy = static_cast<float>(py % cell) / cell - 0.5f;
            int64_t index = 0;
            switch (v[2]) {
                case 0: index = cx + cy; break;                                                      // checks
                case 1: index = cx; break;                                                           // stripes
                case 2: index = (px + py) / cell; break;                                             // diagonal stripes
                case 3: index = std::fabs(fx) + std::fabs(fy) < 0.5f ? 1 + (cx + cy) % (colours - 1) : 0; break;  // diamonds
                case 4: index = fx * fx + fy * fy < 0.09f ? 1 + (cx + cy) % (colours - 1) : 0; break;  // dots
                default: index = std::fabs(fx) > 0.42f || std::fabs(fy) > 0.42f ? 1 : 0; break;     // grid
            }
            raster.set(x, y, colourOf(index));
        }
    }
    return true;
}

}  // namespace dro::procedural
