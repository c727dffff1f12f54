// The display render's accumulator: the composite of the layers below, held between
// layers as floating-point un-premultiplied colour (1 = 65280) and alpha (1 = 65535)
// and brought to 16 bits only after the last layer. Each layer composites onto it with
// the per-pixel rule of the merge core, from opacity to the formula of its mode.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "composite/blend_formulas.h"
#include "composite/composite_frame.h"
#include "composite/merge_pixel.h"
#include "composite/work_pixel.h"

namespace dro {

struct AccumulatorPixel {
    float r;
    float g;
    float b;
    float a;
};

// The quotients v / 65280 and v / 65535 in single precision for every 16-bit v, so the
// copies that most pixels take cost no division. Division is correctly rounded, so a
// table entry is the very float the division gives.
struct UnitQuotients {
    std::array<float, 65536> colour;  // v / 65280
    std::array<float, 65536> alpha;   // v / 65535
};
extern const UnitQuotients kUnitQuotients;

inline float colourUnit(uint32_t v) noexcept {
    return v <= 65535u ? kUnitQuotients.colour[v] : static_cast<float>(v) / 65280.0f;
}
inline float alphaUnit(uint32_t v) noexcept {
    return v <= 65535u ? kUnitQuotients.alpha[v] : static_cast<float>(v) / 65535.0f;
}

// A source pixel taken as it is: the empty-destination copy and the opaque Normal copy.
inline AccumulatorPixel accumulatorCopy(const WorkPixel& src, uint32_t a) noexcept {
    return {colourUnit(src.r), colourUnit(src.g), colourUnit(src.b), alphaUnit(a)};
}

// The accumulator as the frame's destination, worked a channel at a time. Alpha 0 in
// the accumulator always comes with colour 0, so a source without alpha never
// changes it.
struct AccumulatorDestination {
    AccumulatorPixel& d;
    const WorkPixel& src;

    bool empty() const noexcept { return d.a == 0.0f; }
    void clear() noexcept { d = AccumulatorPixel{0.0f, 0.0f, 0.0f, 0.0f}; }
    void copy(uint32_t a) noexcept { d = accumulatorCopy(src, a); }
    template <int32_t Formula>
    void blend(uint32_t a) noexcept {
        BlendTerms t = sourceTerms(src, alphaUnit(a), d.a);
        const std::array<float, 3> dc = {d.r, d.g, d.b};
        for (size_t i = 0; i < 3; ++i) t.dca[i] = dc[i] * t.da;
        const BlendResult r = scalarBlend<Formula>(t);
        const float ra = r.ra;
        d.r = clampUnit(r.rc[0] / ra);
        d.g = clampUnit(r.rc[1] / ra);
        d.b = clampUnit(r.rc[2] / ra);
        d.a = ra;
    }
};

// src is rewritten already; src.a is its alpha before opacity. Formula is the
// formulaIndex() of the mode the pixel composites with.
template <int32_t Formula>
inline void compositeOntoAccumulator(AccumulatorPixel& d, const WorkPixel& src, int32_t opacity,
                                     bool clearsEmpty) noexcept {
    AccumulatorDestination dst{d, src};
    compositeFrame<Formula>(dst, applyOpacity(src.a, opacity), clearsEmpty);
}

using AccumulatorComposite = void (*)(AccumulatorPixel&, const WorkPixel&, int32_t, bool) noexcept;

// compositeOntoAccumulator for a compositing mode id as it stands after the rewrite.
AccumulatorComposite accumulatorCompositeFor(int32_t mode) noexcept;

// The finished 16-bit composite of an accumulator. A colour the alpha-mode rewrite
// pushed past 16 bits is copied in above 1 and saturates; the clamp comes before the
// conversion, since a product of 2^32 or more has no unsigned 32-bit value.
inline WorkPixel accumulatorTo16(const AccumulatorPixel& p) noexcept {
    const auto channel = [](float v, float full) {
        return static_cast<uint32_t>(std::min(v * full, 65535.0f));
    };
    return {channel(p.r, 65280.0f), channel(p.g, 65280.0f), channel(p.b, 65280.0f), channel(p.a, 65535.0f)};
}

}  // namespace dro
