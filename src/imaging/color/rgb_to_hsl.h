// RGB -> HSL, and one channel of the way back, one set of steps for every precision:
// the blend modes use them in single precision, the selection ranges and colour
// adjustments in double. Constants and tie order (r, g, b) are
// fixed so that blends are reproducible bit for bit.
#pragma once

#include <algorithm>

namespace dro {

template <class Real>
struct HslOf {
    Real h;  // degrees, [0, 360]; 0 for grey
    Real s;
    Real l;
};

template <class Real>
HslOf<Real> rgbToHslIn(Real r, Real g, Real b) noexcept {
    const Real one = 1;
    const Real two = 2;
    const Real max = std::max(std::max(r, g), b);
    const Real min = std::min(std::min(r, g), b);
    const Real l = (max + min) / two;
    const Real delta = max - min;
    if (delta == 0) return {0, 0, l};

    const Real s = l < one / two ? delta / (max + min) : delta / (two - max - min);

    // Distance of each channel from the maximum, in sixths of a turn.
    const Real sixth = static_cast<Real>(0.16666667);
    const auto fromMax = [&](Real c) { return ((max - c) * sixth + delta / two) / delta; };
    const Real dr = fromMax(r);
    const Real dg = fromMax(g);
    const Real db = fromMax(b);

    Real h;
    if (r == max) {
        h = db - dg;
    } else if (g == max) {
        h = one / Real(3) + dr - db;
    } else {
        h = two / Real(3) + dg - dr;
    }
    if (h < 0) h += one;
    if (h > one) h -= one;
    return {h * Real(360), s, l};
}

// One channel of HSL -> RGB from the two levels m1 <= m2; h is wrapped into 0..360 by a
// single step of 360, not reduced modulo 360.
template <class Real>
Real hueToChannelIn(Real m1, Real m2, Real h) noexcept {
    if (h > Real(360)) {
        h -= Real(360);
    } else if (h < Real(0)) {
        h += Real(360);
    }
    if (h < Real(60)) return m1 + (m2 - m1) * h / Real(60);
    if (h < Real(180)) return m2;
    if (h < Real(240)) return m1 + (m2 - m1) * (Real(240) - h) / Real(60);
    return m1;
}

}  // namespace dro
