// The transforms that act about a centre: each moves a point along or around its ray
// from the centre by an amount that depends on its distance (and for the flower on
// its angle).
#include <algorithm>
#include <cmath>
#include <numbers>

#include "imaging/lib/transform_chain.h"

namespace dro::lib {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

// Fits the inscribed ellipse to the frame: along every ray the ellipse's point takes
// the source from the frame's edge on that ray.
double ellipticalScale(const Transform& t, double dx, double dy) noexcept {
    const double nx = dx / std::max(t.centreX, 0.5), ny = dy / std::max(t.centreY, 0.5);
    const double longest = std::max(std::fabs(nx), std::fabs(ny));
    if (longest == 0) return 1;
    return 1 + t.a * (std::sqrt(nx * nx + ny * ny) / longest - 1);
}

// The source radius over the result radius, 1 outside the disc.
double radialScale(const Transform& t, double r) noexcept {
    switch (t.kind) {
        case TransformKind::lens: {
            if (r >= t.b || r == 0) return 1;
            const double q = r / t.b;
            return std::pow(q, std::exp2(std::clamp(t.a, -2.0, 2.0)) - 1);
        }
        case TransformKind::pinch: {
            if (r >= t.b) return 1;
            return 1 + std::clamp(t.a, -0.9, 0.9) * (1 - r / t.b);
        }
        case TransformKind::ripple: {
            if (r == 0 || t.b <= 0) return 1;
            return (r + t.a * std::sin(2 * std::numbers::pi * r / t.b)) / r;
        }
        default:
            return 1;
    }
}

// The angle a ring at distance r turns by.
double turn(const Transform& t, double r) noexcept {
    if (t.kind == TransformKind::spin) {
        if (r >= t.b) return 0;
        const double fade = 1 - r / t.b;
        return t.a * kDegree * fade * fade;
    }
    if (t.b <= 0) return 0;
    return t.a * kDegree * std::sin(2 * std::numbers::pi * r / t.b);
}

}  // namespace

void mapRadial(const Transform& t, double* xs, double* ys, int32_t count) noexcept {
    if (t.a == 0) return;
    const bool turning = t.kind == TransformKind::spin || t.kind == TransformKind::spinWave;
    for (int32_t i = 0; i < count; ++i) {
        const double dx = xs[i] - t.centreX, dy = ys[i] - t.centreY;
        const double r = std::sqrt(dx * dx + dy * dy);
        if (turning) {
            const double angle = turn(t, r);
            if (angle == 0) continue;
            const double c = std::cos(angle), s = std::sin(angle);
            xs[i] = t.centreX + dx * c + dy * s;
            ys[i] = t.centreY - dx * s + dy * c;
            continue;
        }
        double scale = 1;
        if (t.kind == TransformKind::elliptical)
            scale = ellipticalScale(t, dx, dy);
        else if (t.kind == TransformKind::wow)
            scale = 1 + std::clamp(t.a, -0.9, 0.9) * std::sin(t.b * std::atan2(dy, dx));
        else
            scale = radialScale(t, r);
        xs[i] = t.centreX + dx * scale;
        ys[i] = t.centreY + dy * scale;
    }
}

}  // namespace dro::lib
