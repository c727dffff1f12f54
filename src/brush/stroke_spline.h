// A smooth stroke path through three points: the host draws between pointer samples
// along it.
#pragma once

#include <array>
#include <cstdint>

#include "core/subsystem_state.h"

namespace dro {

inline constexpr int32_t kSplinePoints = 100;

struct StrokeSpline {
    std::array<double, kSplinePoints> x{}, y{}, z{};
    int32_t count = 0;  // 0 until the first curve
};

inline StrokeSpline& strokeSpline() noexcept { return subsystemState<StrokeSpline>(); }
inline void resetStrokeSpline() noexcept { resetSubsystemState<StrokeSpline>(); }

// 100 points from p0 to p2, point 0 at p0, point 49 at p1, point 99 at p2, along one
// parabola. p1 sits on the parabola at the share of the way its chord length gives, kept
// within a quarter of either end so that a middle point near an end cannot fling the
// curve away; coincident points give a curve collapsed onto them.
void calcSpline3(uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1, uint32_t x2, uint32_t y2) noexcept;

// trunc of a point's coordinate (kept within int32); an index past the last point gives
// the last, a negative one the first; 0 before the first curve.
int32_t splinePointX(int32_t index) noexcept;
int32_t splinePointY(int32_t index) noexcept;

}  // namespace dro
