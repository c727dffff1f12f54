// The geometric distortions: each is an inverse map from a destination pixel to the
// source position it shows, sampled bilinearly on premultiplied colour.
#include <algorithm>
#include <cmath>

#include "imaging/lib/procedural_ops/procedural_ops.h"
#include "imaging/lib/procedural_ops/sampling.h"

namespace dro::procedural_ops {
namespace {

inline double radians(double degrees) noexcept { return degrees * (kPi / 180.0); }

// Sine and cosine with the quarter turns exact, so those rotations copy pixels.
void turnOf(int32_t degrees, double& sine, double& cosine) noexcept {
    switch (((degrees % 360) + 360) % 360) {
        case 0: sine = 0; cosine = 1; return;
        case 90: sine = 1; cosine = 0; return;
        case 180: sine = 0; cosine = -1; return;
        case 270: sine = -1; cosine = 0; return;
        default:
            sine = std::sin(radians(degrees % 360));
            cosine = std::cos(radians(degrees % 360));
    }
}

struct Vec3 {
    double x, y, z;
};
inline double dot(const Vec3& a, const Vec3& b) noexcept { return a.x * b.x + a.y * b.y + a.z * b.z; }
// Turns v about the vertical axis so that +x moves away from the viewer (+z).
inline Vec3 turnAboutY(const Vec3& v, double sine, double cosine) noexcept {
    return {v.x * cosine - v.z * sine, v.y, v.x * sine + v.z * cosine};
}

}  // namespace

bool twirl(uint8_t* image, int32_t width, int32_t height, int32_t stride, const TwirlParams& p) noexcept {
    const int32_t across = std::clamp(p.cellsAcross, 1, std::max(1, width));
    const int32_t down = std::clamp(p.cellsDown, 1, std::max(1, height));
    const double cellW = double(width) / across;
    const double cellH = double(height) / down;
    const double radius = std::min(cellW, cellH) * 0.5;
    const double perRadius = 1.0 / radius;
    const double turn = radians(p.angle % 100000);
    return remap(image, width, height, stride, p.edge, [&](int32_t x, int32_t y) {
        const double px = x + 0.5, py = y + 0.5;
        const int32_t i = across == 1 ? 0 : std::min(across - 1, static_cast<int32_t>(px / cellW));
        const int32_t j = down == 1 ? 0 : std::min(down - 1, static_cast<int32_t>(py / cellH));
        const double cx = (i + 0.5) * cellW, cy = (j + 0.5) * cellH;
        const double dx = px - cx, dy = py - cy;
        const double squared = dx * dx + dy * dy;
        if (squared >= radius * radius || turn == 0.0) return SourcePoint{double(x), double(y)};
        const double t = 1.0 - std::sqrt(squared) * perRadius;
        double a = turn * t * t;  // eases to no turn at the rim, so cells join smoothly
        if (p.alternate == 1 && ((i + j) & 1)) a = -a;
        double s, c;
        sineCosine(a, s, c);
        return SourcePoint{cx + dx * c - dy * s - 0.5, cy + dx * s + dy * c - 0.5};
    });
}

bool sineDistortion(uint8_t* image, int32_t width, int32_t height, int32_t stride,
                    const SineDistortionParams& p) noexcept {
    const double amplitude = std::clamp(p.amplitude, -1000, 1000) * 0.01 * std::min(width, height);
    const double kx = 2.0 * kPi * std::clamp(p.wavesDown, -100000, 100000) / std::max(1, height);
    const double ky = 2.0 * kPi * std::clamp(p.wavesAcross, -100000, 100000) / std::max(1, width);
    const double phaseX = radians(p.phaseX % 360), phaseY = radians(p.phaseY % 360);
    return remap(image, width, height, stride, p.edge, [&](int32_t x, int32_t y) {
        if (amplitude == 0.0) return SourcePoint{double(x), double(y)};
        return SourcePoint{x + amplitude * std::sin(kx * (y + 0.5) + phaseX),
                           y + amplitude * std::sin(ky * (x + 0.5) + phaseY)};
    });
}

bool waves(uint8_t* image, int32_t width, int32_t height, int32_t stride, const WavesParams& p) noexcept {
    const double wavelength = std::max(1, p.wavelength);
    const double amplitude = std::clamp(p.amplitude, -100000, 100000);
    const double phase = radians(p.phase % 360);
    const double cx = width * std::clamp(p.centreX, -1000, 1000) * 0.01;
    const double cy = height * std::clamp(p.centreY, -1000, 1000) * 0.01;
    return remap(image, width, height, stride, p.edge, [&](int32_t x, int32_t y) {
        const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
        const double r = std::hypot(dx, dy);
        if (r == 0.0 || amplitude == 0.0) return SourcePoint{double(x), double(y)};
        const double moved = (r + amplitude * std::sin(2.0 * kPi * r / wavelength + phase)) / r;
        return SourcePoint{cx + dx * moved - 0.5, cy + dy * moved - 0.5};
    });
}

bool glass(uint8_t* image, int32_t width, int32_t height, int32_t stride, const GlassParams& p) noexcept {
    const double block = std::max(1, p.blockSize);
    // At 100 percent the view stands still at a block's middle (infinite magnification).
    const double pull = std::clamp(p.strength, 0, 1000) * 0.01 * block / (2.0 * kPi);
    const auto bend = [&](double v) {
        const double u = std::fmod(v, block) / block * 2.0 - 1.0;  // -1 .. 1 across a block
        return v - pull * std::sin(kPi * u) - 0.5;
    };
    return remap(image, width, height, stride, p.edge, [&](int32_t x, int32_t y) {
        return SourcePoint{bend(x + 0.5), bend(y + 0.5)};
    });
}

bool zoom(uint8_t* image, int32_t width, int32_t height, int32_t stride, const ZoomParams& p) noexcept {
    if (p.scale <= 0) return false;
    const double inverse = 100.0 / p.scale;
    const double cx = width * std::clamp(p.centreX, -1000, 1000) * 0.01;
    const double cy = height * std::clamp(p.centreY, -1000, 1000) * 0.01;
    return remap(image, width, height, stride, p.edge, [&](int32_t x, int32_t y) {
        return SourcePoint{cx + (x + 0.5 - cx) * inverse - 0.5, cy + (y + 0.5 - cy) * inverse - 0.5};
    });
}

bool rotate(uint8_t* image, int32_t width, int32_t height, int32_t stride, const RotateParams& p) noexcept {
    if (p.scale <= 0) return false;
    double sine = 0, cosine = 1;
    turnOf(p.angle, sine, cosine);
    const double inverse = 100.0 / p.scale;
    const double cx = width * 0.5, cy = height * 0.5;
    return remap(image, width, height, stride, SampleEdge::transparent, [&](int32_t x, int32_t y) {
        // The source point that lands here: the inverse turn of this offset.
        const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
        return SourcePoint{(dx * cosine - dy * sine) * inverse + cx - 0.5,
                           (dx * sine + dy * cosine) * inverse + cy - 0.5};
    });
}

bool tilt(uint8_t* image, int32_t width, int32_t height, int32_t stride, const TiltParams& p) noexcept {
    const double size = std::max(width, height);
    const double distance = std::max(1, p.distance) * 0.01 * size;
    const double ax = radians(std::clamp(p.angleX, -89, 89));
    const double ay = radians(std::clamp(p.angleY, -89, 89));
    const double sy = std::sin(ay), cy = std::cos(ay);
    // The image plane's axes and normal: tilted about x (top away), then about y (right away).
    const Vec3 along = turnAboutY({1, 0, 0}, sy, cy);
    const Vec3 downward = turnAboutY({0, std::cos(ax), -std::sin(ax)}, sy, cy);
    const Vec3 normal = turnAboutY({0, std::sin(ax), std::cos(ax)}, sy, cy);
    const double halfW = width * 0.5, halfH = height * 0.5;
    return remap(image, width, height, stride, p.edge, [&](int32_t x, int32_t y) {
        // The viewer's ray through this screen point, from the eye at (0, 0, -distance).
        const Vec3 ray{x + 0.5 - halfW, y + 0.5 - halfH, distance};
        const double facing = dot(normal, ray);
        if (facing <= 1e-9) return SourcePoint{0, 0, false};  // beyond the horizon
        const double t = distance * normal.z / facing;
        const Vec3 hit{ray.x * t, ray.y * t, ray.z * t - distance};
        return SourcePoint{dot(along, hit) + halfW - 0.5, dot(downward, hit) + halfH - 0.5};
    });
}

}  // namespace dro::procedural_ops
