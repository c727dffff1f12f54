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

void prepareTransform(Transform& t) {
    if (t.kind != TransformKind::spin || t.a == 0 || !(t.b > 0)) return;
    // Steps fine enough that interpolating the cosine and sine linearly stays far
    // below a hundredth of a pixel: at least 4 a pixel and 50 a radian of turn.
    constexpr double kMaxSteps = 1 << 20;
    const double steps = std::ceil(std::clamp(std::max(t.b * 4, std::fabs(t.a * kDegree) * 50), 16.0, kMaxSteps));
    const auto n = static_cast<size_t>(steps);
    t.turnTable.resize((n + 2) * 2);
    for (size_t i = 0; i <= n + 1; ++i) {
        const double angle = turn(t, t.b * double(i) / steps);
        t.turnTable[i * 2] = std::cos(angle);
        t.turnTable[i * 2 + 1] = std::sin(angle);
    }
    t.tableStepsPerPixel = steps / t.b;
}

namespace {

// The spin through its table: points at or beyond the radius stay.
void mapSpin(const Transform& t, double* xs, double* ys, int32_t count) noexcept {
    const double* table = t.turnTable.data();
    const double last = double(t.turnTable.size() / 2 - 2);
    for (int32_t i = 0; i < count; ++i) {
        const double dx = xs[i] - t.centreX, dy = ys[i] - t.centreY;
        const double at = std::sqrt(dx * dx + dy * dy) * t.tableStepsPerPixel;
        if (!(at < last)) continue;
        const auto k = static_cast<size_t>(at);
        const double f = at - double(k);
        const double* e = table + k * 2;
        const double c = e[0] + f * (e[2] - e[0]), s = e[1] + f * (e[3] - e[1]);
        xs[i] = t.centreX + dx * c + dy * s;
        ys[i] = t.centreY - dx * s + dy * c;
    }
}

}  // namespace

void mapRadial(const Transform& t, double* xs, double* ys, int32_t count) noexcept {
    if (t.a == 0) return;
    if (!t.turnTable.empty()) return mapSpin(t, xs, ys, count);
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
