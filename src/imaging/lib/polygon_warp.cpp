#include "imaging/lib/polygon_warp.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "imaging/lib/transform_sample.h"

namespace dro::lib {

QuadPoint Projective::apply(double u, double v) const noexcept {
    const double w = m[6] * u + m[7] * v + m[8];
    return {(m[0] * u + m[1] * v + m[2]) / w, (m[3] * u + m[4] * v + m[5]) / w};
}

Projective unitSquareTo(const Quad& q) noexcept {
    const double sx = q[0].x - q[1].x + q[2].x - q[3].x, sy = q[0].y - q[1].y + q[2].y - q[3].y;
    double g = 0, h = 0;
    if (sx != 0 || sy != 0) {
        const double dx1 = q[1].x - q[2].x, dx2 = q[3].x - q[2].x, dy1 = q[1].y - q[2].y, dy2 = q[3].y - q[2].y;
        const double den = dx1 * dy2 - dx2 * dy1;
        if (den != 0) {
            g = (sx * dy2 - dx2 * sy) / den;
            h = (dx1 * sy - sx * dy1) / den;
        }
    }
    return {{q[1].x - q[0].x + g * q[1].x, q[3].x - q[0].x + h * q[3].x, q[0].x,  //
             q[1].y - q[0].y + g * q[1].y, q[3].y - q[0].y + h * q[3].y, q[0].y,  //
             g, h, 1}};
}

bool inverse(const Projective& p, Projective& out) noexcept {
    const auto& m = p.m;
    out.m = {m[4] * m[8] - m[5] * m[7], m[2] * m[7] - m[1] * m[8], m[1] * m[5] - m[2] * m[4],
             m[5] * m[6] - m[3] * m[8], m[0] * m[8] - m[2] * m[6], m[2] * m[3] - m[0] * m[5],
             m[3] * m[7] - m[4] * m[6], m[1] * m[6] - m[0] * m[7], m[0] * m[4] - m[1] * m[3]};
    const double det = m[0] * out.m[0] + m[1] * out.m[3] + m[2] * out.m[6];
    return std::isfinite(det) && std::fabs(det) > 1e-12;
}

namespace {

bool validQuad(const QuadPoint* q) noexcept {
    for (int i = 0; i < 4; ++i)
        if (!std::isfinite(q[i].x) || !std::isfinite(q[i].y) || std::fabs(q[i].x) > 1e9 || std::fabs(q[i].y) > 1e9)
            return false;
    return true;
}

bool inFront(const Projective& toDestination, double u, double v) noexcept {
    return toDestination.m[6] * u + toDestination.m[7] * v + toDestination.m[8] > 0;
}

// How much of a destination pixel the quad covers, with (u, v) moved onto the quad:
// 1 for a centre inside (up to rounding, so corners and edges count in full), fading
// to 0 at one pixel outside the nearest edge, which smooths the quad's outline without
// touching any pixel the quad itself holds.
double coverage(const Projective& toDestination, double px, double py, double& u, double& v) noexcept {
    constexpr double kSlack = 1e-9;
    const bool inside = u >= -kSlack && u <= 1 + kSlack && v >= -kSlack && v <= 1 + kSlack;
    if (!inside && !(std::fabs(u - 0.5) < 2 && std::fabs(v - 0.5) < 2)) return 0;  // far outside
    u = std::clamp(u, 0.0, 1.0), v = std::clamp(v, 0.0, 1.0);
    if (!inFront(toDestination, u, v)) return 0;
    if (inside) return 1;
    const QuadPoint edge = toDestination.apply(u, v);
    return std::max(0.0, 1 - std::hypot(px - edge.x, py - edge.y));
}

void fade(uint8_t* pixel, double share, SampleFilter filter) noexcept {
    const int first = filter == SampleFilter::bilinearStraight ? 3 : 0;  // straight colour keeps its colour
    for (int c = first; c < 4; ++c)
        pixel[c] = static_cast<uint8_t>(pixel[c] * share + 0.5);
}

}  // namespace
}  // namespace dro::lib

bool is5_PolygonWarpImage(const uint8_t* source, int32_t width, int32_t height, int32_t sourceStride,
                          const dro::lib::QuadPoint* sourceQuad, uint8_t* destination, int32_t destinationWidth,
                          int32_t destinationHeight, int32_t destinationStride,
                          const dro::lib::QuadPoint* destinationQuad, int32_t bitsPerPixel, int32_t originX,
                          int32_t originY, int32_t mode, uint32_t /*flags*/) noexcept {
    using namespace dro::lib;
    if (!source || !destination || !sourceQuad || !destinationQuad || bitsPerPixel != 32) return false;
    if (width <= 0 || height <= 0 || destinationWidth <= 0 || destinationHeight <= 0) return false;
    if (sourceStride / 4 < width || destinationStride / 4 < destinationWidth) return false;
    if (!validQuad(sourceQuad) || !validQuad(destinationQuad)) return false;
    const auto sourceStart = reinterpret_cast<uintptr_t>(source);
    const auto destinationStart = reinterpret_cast<uintptr_t>(destination);
    const uintptr_t sourceEnd = sourceStart + static_cast<uintptr_t>(sourceStride) * static_cast<uintptr_t>(height);
    const uintptr_t destinationEnd =
        destinationStart + static_cast<uintptr_t>(destinationStride) * static_cast<uintptr_t>(destinationHeight);
    if (sourceStart < destinationEnd && destinationStart < sourceEnd) return false;

    const Quad from{sourceQuad[0], sourceQuad[1], sourceQuad[2], sourceQuad[3]};
    const Quad to{destinationQuad[0], destinationQuad[1], destinationQuad[2], destinationQuad[3]};
    const Projective toSource = unitSquareTo(from), toDestination = unitSquareTo(to);
    Projective fromDestination;
    if (!inverse(toDestination, fromDestination)) return false;

    const SampleFilter filter = sampleFilterFromMode(mode);
    const SampleSource s{source, width, height, sourceStride, EdgeMode::repeatEdge, {}};
    const auto& m = fromDestination.m;
#pragma omp parallel for schedule(static) if (int64_t{destinationWidth} * destinationHeight >= 65536)
    for (int32_t y = 0; y < destinationHeight; ++y) {
        uint8_t* row = destination + static_cast<ptrdiff_t>(y) * destinationStride;
        const double py = double(y) + originY;
        for (int32_t x = 0; x < destinationWidth; ++x) {
            const double px = double(x) + originX;
            const double w = m[6] * px + m[7] * py + m[8];
            if (w == 0) continue;
            double u = (m[0] * px + m[1] * py + m[2]) / w, v = (m[3] * px + m[4] * py + m[5]) / w;
            const double share = coverage(toDestination, px, py, u, v);
            if (share <= 0) continue;
            const QuadPoint at = toSource.apply(u, v);
            uint8_t* pixel = row + static_cast<ptrdiff_t>(x) * 4;
            samplePoint(filter, s, at.x, at.y, pixel);
            if (share < 1) fade(pixel, share, filter);
        }
    }
    return true;
}
