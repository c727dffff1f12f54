#include "brush/stroke_spline.h"

#include <algorithm>
#include <cmath>

namespace dro {
namespace {

struct Point {
    double x, y;
};

int32_t truncated(double v) {
    return static_cast<int32_t>(std::clamp(std::trunc(v), double(INT32_MIN), double(INT32_MAX)));
}

int32_t clampedIndex(int32_t index) { return std::clamp(index, 0, strokeSpline().count - 1); }

}  // namespace

void calcSpline3(uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1, uint32_t x2, uint32_t y2) noexcept {
    StrokeSpline& spline = strokeSpline();
    const Point p0{double(x0), double(y0)}, p1{double(x1), double(y1)}, p2{double(x2), double(y2)};
    const double d01 = std::hypot(p1.x - p0.x, p1.y - p0.y), d12 = std::hypot(p2.x - p1.x, p2.y - p1.y);
    const double t1 = d01 + d12 > 0 ? std::clamp(d01 / (d01 + d12), 0.25, 0.75) : 0.5;
    // B(t) = (1-t)^2 p0 + 2t(1-t) c + t^2 p2 with B(t1) = p1.
    const double a = (1 - t1) * (1 - t1), b = 2 * t1 * (1 - t1), e = t1 * t1;
    const Point c{(p1.x - a * p0.x - e * p2.x) / b, (p1.y - a * p0.y - e * p2.y) / b};
    constexpr int32_t kMiddle = kSplinePoints / 2 - 1;  // the point that lands on p1
    for (int32_t k = 0; k < kSplinePoints; ++k) {
        const double t = k <= kMiddle ? t1 * k / kMiddle
                                      : t1 + (1 - t1) * (k - kMiddle) / double(kSplinePoints - 1 - kMiddle);
        const double u = 1 - t;
        spline.x[k] = k == kMiddle ? p1.x : u * u * p0.x + 2 * t * u * c.x + t * t * p2.x;
        spline.y[k] = k == kMiddle ? p1.y : u * u * p0.y + 2 * t * u * c.y + t * t * p2.y;
        spline.z[k] = 0;
    }
    spline.x[kSplinePoints - 1] = p2.x;
    spline.y[kSplinePoints - 1] = p2.y;
    spline.count = kSplinePoints;
}

int32_t splinePointX(int32_t index) noexcept {
    const StrokeSpline& spline = strokeSpline();
    return spline.count ? truncated(spline.x[clampedIndex(index)]) : 0;
}
int32_t splinePointY(int32_t index) noexcept {
    const StrokeSpline& spline = strokeSpline();
    return spline.count ? truncated(spline.y[clampedIndex(index)]) : 0;
}

}  // namespace dro
