// The transforms that move points across the whole plane: shifts, waves, turbulence
// and random scatter.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "imaging/lib/transform_chain.h"

namespace dro::lib {
namespace {

uint32_t hash(uint32_t x) noexcept {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

uint32_t hash(int64_t x, int64_t y, uint32_t seed) noexcept {
    return hash(static_cast<uint32_t>(x) ^ hash(static_cast<uint32_t>(y) ^ hash(seed)));
}

// -1..1 from a hash.
double unit(uint32_t h) noexcept {
    return (h & 0xffffff) * (2.0 / 0xffffff) - 1;
}

// Smooth value noise: hashed lattice values, blended with a smoothstep.
double valueNoise(double x, double y, uint32_t seed) noexcept {
    if (!(std::fabs(x) < 1e15 && std::fabs(y) < 1e15)) return 0;  // no lattice cell to read
    const double fx = std::floor(x), fy = std::floor(y);
    const auto ix = static_cast<int64_t>(fx), iy = static_cast<int64_t>(fy);
    const double u = x - fx, v = y - fy;
    const double su = u * u * (3 - 2 * u), sv = v * v * (3 - 2 * v);
    const double top = unit(hash(ix, iy, seed)) * (1 - su) + unit(hash(ix + 1, iy, seed)) * su;
    const double bottom = unit(hash(ix, iy + 1, seed)) * (1 - su) + unit(hash(ix + 1, iy + 1, seed)) * su;
    return top * (1 - sv) + bottom * sv;
}

// Three octaves, each of half the size and half the weight of the one before.
double turbulence(double x, double y, uint32_t seed) noexcept {
    double sum = 0, weight = 1, scale = 1;
    for (int octave = 0; octave < 3; ++octave) {
        sum += weight * valueNoise(x * scale, y * scale, seed + static_cast<uint32_t>(octave));
        weight *= 0.5;
        scale *= 2;
    }
    return sum / 1.75;
}

// Period 1, -1..1, 0 at 0 and rising: straight segments between the peaks.
double triangle(double t) noexcept {
    const double phase = t + 0.25 - std::floor(t + 0.25);
    return 1 - 4 * std::fabs(phase - 0.5);
}

}  // namespace

void mapPlanar(const Transform& t, double* xs, double* ys, int32_t count) noexcept {
    constexpr double kTurn = 2 * std::numbers::pi;
    switch (t.kind) {
        case TransformKind::offset:
            for (int32_t i = 0; i < count; ++i)
                xs[i] -= t.a, ys[i] -= t.b;
            break;
        case TransformKind::wave:
        case TransformKind::zigZag: {
            if (t.c <= 0 || (t.a == 0 && t.b == 0)) break;
            const bool wave = t.kind == TransformKind::wave;
            for (int32_t i = 0; i < count; ++i) {
                const double x = xs[i] / t.c, y = ys[i] / t.c;
                xs[i] += t.a * (wave ? std::sin(kTurn * y) : triangle(y));
                ys[i] += t.b * (wave ? std::sin(kTurn * x) : triangle(x));
            }
            break;
        }
        case TransformKind::marble: {
            if (t.a == 0 || t.b <= 0) break;
            const auto seed = static_cast<uint32_t>(t.c);
            for (int32_t i = 0; i < count; ++i) {
                const double x = xs[i] / t.b, y = ys[i] / t.b;
                xs[i] += t.a * turbulence(x, y, seed);
                ys[i] += t.a * turbulence(x, y, seed + 101);
            }
            break;
        }
        case TransformKind::random: {
            if (t.a == 0) break;
            const auto seed = static_cast<uint32_t>(t.b);
            for (int32_t i = 0; i < count; ++i) {
                const uint32_t h = hash(std::llround(xs[i]), std::llround(ys[i]), seed);
                xs[i] += t.a * unit(h);
                ys[i] += t.a * unit(hash(h));
            }
            break;
        }
        case TransformKind::bumpMap: {
            if (t.a == 0 || !t.heights) break;
            const uint8_t* map = t.heights->data();
            const int64_t mw = t.mapWidth, mh = t.mapHeight;
            const auto at = [&](int64_t x, int64_t y) {
                return int32_t{map[std::clamp<int64_t>(y, 0, mh - 1) * mw + std::clamp<int64_t>(x, 0, mw - 1)]};
            };
            const double perLevel = t.a / 510.0;
            for (int32_t i = 0; i < count; ++i) {
                if (!std::isfinite(xs[i]) || !std::isfinite(ys[i])) continue;
                const auto x = static_cast<int64_t>(std::clamp(std::floor(xs[i] + 0.5), -1.0, double(mw)));
                const auto y = static_cast<int64_t>(std::clamp(std::floor(ys[i] + 0.5), -1.0, double(mh)));
                xs[i] += perLevel * (at(x + 1, y) - at(x - 1, y));
                ys[i] += perLevel * (at(x, y + 1) - at(x, y - 1));
            }
            break;
        }
        default:
            break;
    }
}

}  // namespace dro::lib
