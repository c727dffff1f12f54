// The display render's row kernels: one layer onto a tile of accumulators, and the
// accumulators to 16 bits. A pixel's channels sit in one four-lane float vector, so
// the normalising and finishing divisions run once per pixel instead of once per
// channel. Every lane performs the same single-precision operation, in the same
// order, as the scalar rule in render_accumulator.h (IEEE arithmetic is per lane), so
// the bits are those of the scalar rule; the render tests compare the two.
#pragma once

#include <cstdint>
#include <cstring>

#include "composite/alpha_modes.h"
#include "composite/merge_pixel.h"
#include "composite/render_accumulator.h"

namespace dro::render_kernels {

using F4 = float __attribute__((vector_size(16)));
using I4 = int32_t __attribute__((vector_size(16)));
using U16x4 = uint16_t __attribute__((vector_size(8)));

inline F4 broadcast(float v) noexcept { return F4{v, v, v, v}; }

inline F4 load(const AccumulatorPixel& p) noexcept {
    F4 v;
    std::memcpy(&v, &p, sizeof v);
    return v;
}

inline void store(AccumulatorPixel& p, F4 v) noexcept { std::memcpy(&p, &v, sizeof v); }

// Lanes of a where mask is set (all ones), else of b.
inline F4 select(I4 mask, F4 a, F4 b) noexcept {
    return reinterpret_cast<F4>((reinterpret_cast<I4>(a) & mask) | (reinterpret_cast<I4>(b) & ~mask));
}

// clampUnit per lane: NaN and negatives to 0, above 1 to 1.
inline F4 clampUnit4(F4 v) noexcept {
    const F4 zero = broadcast(0.0f);
    const F4 one = broadcast(1.0f);
    return select(v > zero, select(v < one, v, one), zero);
}

// The four 16-bit channels of a layer pixel as floats (exact).
inline F4 channelsOf(const uint16_t* p) noexcept {
    U16x4 v;
    std::memcpy(&v, p, sizeof v);
    return __builtin_convertvector(__builtin_convertvector(v, I4), F4);
}

// Colour as floats for a rewritten source; the rewrite may leave channels anywhere in
// 32 unsigned bits, so each converts as unsigned.
inline F4 channelsOf(const WorkPixel& s) noexcept {
    return F4{static_cast<float>(s.r), static_cast<float>(s.g), static_cast<float>(s.b), 0.0f};
}

// accumulatorCopy: colour / 65280 and alpha a / 65535, each the correctly rounded
// quotient (the division gives the tables' values).
inline F4 copyOf(F4 colour, uint32_t a) noexcept {
    colour[3] = static_cast<float>(a);
    return colour / F4{65280.0f, 65280.0f, 65280.0f, 65535.0f};
}

// Formulas that run on the lanes; the others keep the scalar per-channel code.
constexpr bool laneFormula(int32_t formula) noexcept {
    switch (formula) {
    case 0: case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 11: case 12:
    case 16: case 17: case 18: case 19: case 30: case kNormalFormulaIndex:
        return true;
    default:
        return false;
    }
}

// Rc per lane for the lane formulas, each written as its scalar twin in
// blend_formulas.h and evaluated in the same order.
template <int32_t Formula>
inline F4 laneBlend(F4 s, F4 d, float sa, float da, float invSa, float invDa) noexcept {
    const F4 two = broadcast(2.0f);
    if constexpr (Formula == 1) {
        return s * d + s * invDa + d * invSa;
    } else if constexpr (Formula == 2) {
        return s + d - s * d;
    } else if constexpr (Formula == 3) {
        return select(d * sa <= s * da, d + s * invDa, s + d * invSa);
    } else if constexpr (Formula == 4) {
        return select(s * da <= d * sa, d + s * invDa, s + d * invSa);
    } else if constexpr (Formula == 5) {
        const F4 x = s * da;
        const F4 y = d * sa;
        return s + d - two * select(y < x, y, x);  // std::min(x, y)
    } else if constexpr (Formula == 6 || Formula == 7) {
        return s * da + d * sa - two * s * d + s * invDa + d * invSa;
    } else if constexpr (Formula == 11 || Formula == 12) {
        const F4 dark = two * s * d + s * invDa + d * invSa;
        const F4 light = sa * da - two * (da - d) * (sa - s) + s * invDa + d * invSa;
        if constexpr (Formula == 11) return select(two * d < da, dark, light);
        else return select(two * s < sa, dark, light);
    } else if constexpr (Formula == 18) {
        return s + d;
    } else if constexpr (Formula == 19) {
        return s + d - sa * da;
    } else {
        return s + d * invSa;  // Normal and every mode that composites as it
    }
}

// The lane formula's colour before the division by the new alpha, and that alpha
// clamped, from premultiplied source and destination and their alphas.
struct LaneBlend {
    F4 rc;
    float ra;
};

template <int32_t Formula>
inline LaneBlend blendOnLanes(F4 sca, F4 dca, float sa, float da) noexcept {
    const float invSa = 1.0f - sa;
    const float invDa = 1.0f - da;
    float ra = invDa * sa + da;
    if constexpr (Formula == 18 || Formula == 19) ra = sa + da;
    return {laneBlend<Formula>(sca, dca, sa, da, invSa, invDa), clampUnit(ra)};
}

// compositeOntoAccumulator on the lanes. colour holds the source colour as floats;
// a is the source alpha after opacity.
template <int32_t Formula>
inline void compositeLanes(AccumulatorPixel& acc, F4 colour, uint32_t a, bool clearsEmpty) noexcept {
    static_assert(laneFormula(Formula));
    if constexpr (Formula == kModeNormal) {
        // An opaque Normal pixel is copied whatever lies below, an empty accumulator
        // included (Normal never clears it); the accumulator is not even read.
        if (a >= 0xFF00u && !clearsEmpty) {
            store(acc, copyOf(colour, a));
            return;
        }
    }
    const float da = acc.a;
    if (da == 0.0f) {
        store(acc, (clearsEmpty || a == 0) ? broadcast(0.0f) : copyOf(colour, a));
        return;
    }
    if (a == 0) return;
    if constexpr (Formula == kModeNormal) {
        if (a >= 0xFF00u) {
            store(acc, copyOf(colour, a));
            return;
        }
    }
    const float sa = alphaUnit(a);
    const auto [rc, ra] = blendOnLanes<Formula>(colour * sa / 65280.0f, load(acc) * da, sa, da);
    // Over an opaque accumulator ra is exactly 1, and dividing by it changes nothing.
    F4 result = clampUnit4(ra == 1.0f ? rc : rc / ra);
    result[3] = ra;
    store(acc, result);
}

// compositeSource (the integer merge of the stroke into its layer) on the lanes, for
// the lane formulas: the exact copies as the scalar rule takes them, the blend with
// each channel's single-precision operations in the scalar order.
template <int32_t Formula>
inline bool compositeSourceLanes(WorkPixel& dst, const WorkPixel& src, int32_t opacity, bool alphaLock,
                                 bool clearsEmpty) noexcept {
    static_assert(laneFormula(Formula));
    const uint32_t a = applyOpacity(src.a, opacity);
    const bool copies = dst.a == 0 ? !clearsEmpty && a != 0 : Formula == kModeNormal && a >= 0xFF00u;
    if (dst.a == 0 || copies) {
        dst.r = copies ? src.r : 0;
        dst.g = copies ? src.g : 0;
        dst.b = copies ? src.b : 0;
        if (copies && !alphaLock) dst.a = a;
        return true;
    }
    if (a == 0) return false;
    const float sa = alphaUnit(a);
    const float da = alphaUnit(dst.a);
    const F4 dc{static_cast<float>(dst.r), static_cast<float>(dst.g), static_cast<float>(dst.b), 0.0f};
    const auto [rc, ra] = blendOnLanes<Formula>(channelsOf(src) * sa / 65280.0f, dc * da / 65280.0f, sa, da);
    const I4 c = __builtin_convertvector(clampUnit4(rc / ra) * 65280.0f, I4);
    dst.r = static_cast<uint32_t>(c[0]);
    dst.g = static_cast<uint32_t>(c[1]);
    dst.b = static_cast<uint32_t>(c[2]);
    if (!alphaLock) dst.a = static_cast<uint32_t>(ra * 65535.0f);
    return true;
}

// accumulatorTo16 on the lanes. The accumulator is never negative or NaN; it exceeds
// 1 only after a copy of a colour the rewrite pushed past 16 bits, which the scalar
// rule saturates to 65535 after an unsigned conversion. Clamping the product to 65535
// before the (signed) conversion gives the same value in both cases.
inline WorkPixel to16(const AccumulatorPixel& p) noexcept {
    const F4 top = broadcast(65535.0f);
    const F4 v = load(p) * F4{65280.0f, 65280.0f, 65280.0f, 65535.0f};
    const I4 q = __builtin_convertvector(select(v > top, top, v), I4);
    return {static_cast<uint32_t>(q[0]), static_cast<uint32_t>(q[1]), static_cast<uint32_t>(q[2]),
            static_cast<uint32_t>(q[3])};
}

// to16 for four accumulators at once, each lane a pixel: the channels are transposed
// and every lane takes to16's operations. Gives each pixel's high bytes as the word
// (b >> 8) | (g & 0xFF00) | ((r & 0xFF00) << 8), and whether all four are opaque
// (alpha 65535).
inline bool opaqueWords4(const AccumulatorPixel* p, uint32_t (&words)[4]) noexcept {
    const F4 p0 = load(p[0]);
    const F4 p1 = load(p[1]);
    const F4 p2 = load(p[2]);
    const F4 p3 = load(p[3]);
    const F4 rg01 = __builtin_shufflevector(p0, p1, 0, 4, 1, 5);
    const F4 rg23 = __builtin_shufflevector(p2, p3, 0, 4, 1, 5);
    const F4 ba01 = __builtin_shufflevector(p0, p1, 2, 6, 3, 7);
    const F4 ba23 = __builtin_shufflevector(p2, p3, 2, 6, 3, 7);
    const F4 top = broadcast(65535.0f);
    const auto quantise = [&](F4 v, float full) {
        v *= full;
        return __builtin_convertvector(select(v > top, top, v), I4);
    };
    const I4 r = quantise(__builtin_shufflevector(rg01, rg23, 0, 1, 4, 5), 65280.0f);
    const I4 g = quantise(__builtin_shufflevector(rg01, rg23, 2, 3, 6, 7), 65280.0f);
    const I4 b = quantise(__builtin_shufflevector(ba01, ba23, 0, 1, 4, 5), 65280.0f);
    const I4 a = quantise(__builtin_shufflevector(ba01, ba23, 2, 3, 6, 7), 65535.0f);
    const I4 w = (b >> 8) | (g & 0xFF00) | ((r & 0xFF00) << 8);
    std::memcpy(words, &w, sizeof words);
    const I4 opaque = a >= 65535;
    return (opaque[0] & opaque[1] & opaque[2] & opaque[3]) != 0;
}

}  // namespace dro::render_kernels
