// The frame of the per-pixel rule, written once for every destination the engine
// composites onto: a 16-bit layer pixel or the render's float accumulator, worked a
// channel at a time or on the lanes. The frame decides what happens to a pixel; the
// destination policy does it:
//   empty()            the destination has no alpha
//   clear()            the destination becomes transparent black
//   copy(a)            the source's colour (and alpha a, unless locked) taken as is
//   blend<Formula>(a)  the formula, its division by the new alpha and the finish
// a is the source alpha after opacity.
#pragma once

#include <cstdint>

#include "composite/blend_formulas.h"
#include "composite/work_pixel.h"

namespace dro {

// Opacity 0..255 scales alpha by (opacity + 1)/256; 255 and above leave it. Unsigned
// 32-bit product, as everywhere in channel arithmetic.
inline uint32_t applyOpacity(uint32_t a, int32_t opacity) noexcept {
    if (opacity >= 255) return a;
    return (static_cast<uint32_t>(opacity + 1) * a) >> 8;
}

// Clamp to [0, 1]; NaN (0/0 in Dodge and Burn at the extremes) counts as 0.
inline float clampUnit(float v) noexcept { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }

// Alpha from which an opaque Normal source is copied instead of blended.
inline constexpr uint32_t kOpaqueCopyAlpha = 0xFF00u;

// The blend terms of the source and both alphas; the destination's premultiplied
// colour is the policy's to fill, since its units differ by destination.
inline BlendTerms sourceTerms(const WorkPixel& src, float sa, float da) noexcept {
    BlendTerms t;
    t.sa = sa;
    t.da = da;
    t.invSa = 1.0f - t.sa;
    t.invDa = 1.0f - t.da;
    t.sc = {src.r, src.g, src.b};
    for (size_t i = 0; i < 3; ++i) t.sca[i] = static_cast<float>(t.sc[i]) * t.sa / 65280.0f;
    return t;
}

// The scalar formula with its coverage, the new alpha clamped; Ra > 0 here: either
// a > 0 enters the union, or Ra = Da with d > 0.
template <int32_t Formula>
inline BlendResult scalarBlend(const BlendTerms& t) noexcept {
    BlendResult r;
    r.ra = t.invDa * t.sa + t.da;
    constexpr BlendFormula formula = kBlendFormulas[Formula].formula;
    formula(t, r);
    r.ra = clampUnit(r.ra);
    return r;
}

// Returns false when the destination stays exactly as it is. Always inlined: it is
// the body of every per-pixel loop, and left to GCC's growth budget it once became a
// call that cost the Normal render 5 % more instructions.
template <int32_t Formula, class Destination>
[[gnu::always_inline]] inline bool compositeFrame(Destination& dst, uint32_t a, bool clearsEmpty) noexcept {
    static_assert(Formula >= 0 && Formula <= kNormalFormulaIndex);
    if constexpr (Formula == kModeNormal) {
        // Copied whatever lies below, an empty destination included (Normal never
        // clears it), so the destination need not even be read.
        if (a >= kOpaqueCopyAlpha && !clearsEmpty) {
            dst.copy(a);
            return true;
        }
    }
    // Nothing to blend with: no float arithmetic, the result is exact.
    if (dst.empty()) {
        if (clearsEmpty || a == 0) {
            dst.clear();
        } else {
            dst.copy(a);
        }
        return true;
    }
    if (a == 0) return false;
    if constexpr (Formula == kModeNormal) {
        if (a >= kOpaqueCopyAlpha) {  // alpha not unioned
            dst.copy(a);
            return true;
        }
    }
    dst.template blend<Formula>(a);
    return true;
}

// The lane formula's colour before the division by the new alpha, and that alpha
// clamped, from premultiplied source and destination and their alphas.
struct LaneBlend {
    F4 rc;
    float ra;
};

constexpr bool laneFormula(int32_t formula) noexcept {
    return kBlendFormulas[static_cast<size_t>(formula)].onLanes;
}

template <int32_t Formula>
inline LaneBlend blendOnLanes(F4 sca, F4 dca, float sa, float da) noexcept {
    constexpr FormulaEntry entry = kBlendFormulas[Formula];
    static_assert(entry.onLanes);
    const AlphaTerms t{sa, da, 1.0f - sa, 1.0f - da};
    float ra = t.invDa * sa + da;
    if constexpr (entry.sumsAlpha) ra = sa + da;
    return {entry.lanes(sca, dca, t), clampUnit(ra)};
}

}  // namespace dro
