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
#include "composite/composite_frame.h"
#include "composite/lanes.h"
#include "composite/merge_pixel.h"
#include "composite/render_accumulator.h"

namespace dro::render_kernels {

using dro::laneFormula;

inline F4 load(const AccumulatorPixel& p) noexcept {
    F4 v;
    std::memcpy(&v, &p, sizeof v);
    return v;
}

inline void store(AccumulatorPixel& p, F4 v) noexcept { std::memcpy(&p, &v, sizeof v); }

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

// The accumulator as the frame's destination, on the lanes; colour holds the source
// colour as floats.
struct LaneAccumulatorDestination {
    AccumulatorPixel& acc;
    F4 colour;

    bool empty() const noexcept { return acc.a == 0.0f; }
    void clear() noexcept { store(acc, broadcast(0.0f)); }
    void copy(uint32_t a) noexcept { store(acc, copyOf(colour, a)); }
    template <int32_t Formula>
    void blend(uint32_t a) noexcept {
        const float da = acc.a;
        const float sa = alphaUnit(a);
        const auto [rc, ra] = blendOnLanes<Formula>(colour * sa / 65280.0f, load(acc) * da, sa, da);
        // Over an opaque accumulator ra is exactly 1, and dividing by it changes nothing.
        F4 result = clampUnit4(ra == 1.0f ? rc : rc / ra);
        result[3] = ra;
        store(acc, result);
    }
};

// compositeOntoAccumulator on the lanes, for the lane formulas; a is the source alpha
// after opacity.
template <int32_t Formula>
inline void compositeLanes(AccumulatorPixel& acc, F4 colour, uint32_t a, bool clearsEmpty) noexcept {
    static_assert(laneFormula(Formula));
    LaneAccumulatorDestination dst{acc, colour};
    compositeFrame<Formula>(dst, a, clearsEmpty);
}

// A 16-bit layer pixel as the frame's destination, on the lanes: the integer merge of
// the stroke into its layer.
struct LaneWorkPixelDestination : WorkPixelDestination {
    template <int32_t Formula>
    void blend(uint32_t a) noexcept {
        const float sa = alphaUnit(a);
        const float da = alphaUnit(dst.a);
        const F4 dc{static_cast<float>(dst.r), static_cast<float>(dst.g), static_cast<float>(dst.b), 0.0f};
        const auto [rc, ra] = blendOnLanes<Formula>(channelsOf(src) * sa / 65280.0f, dc * da / 65280.0f, sa, da);
        const I4 c = __builtin_convertvector(clampUnit4(rc / ra) * 65280.0f, I4);
        dst.r = static_cast<uint32_t>(c[0]);
        dst.g = static_cast<uint32_t>(c[1]);
        dst.b = static_cast<uint32_t>(c[2]);
        if (!alphaLock) dst.a = static_cast<uint32_t>(ra * 65535.0f);
    }
};

// compositeSource on the lanes, for the lane formulas.
template <int32_t Formula>
inline bool compositeSourceLanes(WorkPixel& dst, const WorkPixel& src, int32_t opacity, bool alphaLock,
                                 bool clearsEmpty) noexcept {
    static_assert(laneFormula(Formula));
    LaneWorkPixelDestination d{{dst, src, alphaLock}};
    return compositeFrame<Formula>(d, applyOpacity(src.a, opacity), clearsEmpty);
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
