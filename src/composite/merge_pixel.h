// The per-pixel merge rule every merge applies: transparent sources skipped, the
// alpha-mode rewrite, opacity, the empty-destination and plain-copy shortcuts, and
// the compositing formula with its finish back to 16-bit values.
//
// The pieces are separate so that a row loop can insert its own work (a layer mask
// and a pre-opacity, between the skip and the rewrite) and still be specialised per
// mode by template, with no per-pixel switch:
//   skipsTransparentSource(mode, s)                         the skip
//   rewriteAlpha<Mode>(source, o)                           alpha_modes.h
//   compositeSource<formulaIndex(m)>(dst, src, opacity, alphaLock, clearsEmpty)
//                                                           opacity to the finish,
//                                                           composite_frame.h
#pragma once

#include <cstdint>

#include "composite/alpha_modes.h"
#include "composite/blend_formulas.h"
#include "composite/composite_frame.h"
#include "core/blend_mode_table.h"
#include "composite/work_pixel.h"

namespace dro {

// The compositing modes (and unassigned ids below them) leave the destination
// untouched where the source has no alpha; alpha modes may give such pixels alpha.
constexpr bool skipsTransparentSource(int32_t mode, uint32_t s) noexcept {
    return s == 0 && mode < kFirstAlphaMode;
}

// Modes that turn a transparent destination pixel into transparent black instead of
// copying the source onto it. Tested against the mode a pixel composites with.
constexpr bool clearsEmptyDestination(int32_t mode) noexcept {
    using enum BlendMode;
    for (const BlendMode m : {Color, HardColor, Texturize, Texturize2, Texturize3}) {
        if (mode == modeId(m)) return true;
    }
    return false;
}

// A 16-bit layer pixel as the frame's destination, worked a channel at a time.
struct WorkPixelDestination {
    WorkPixel& dst;
    const WorkPixel& src;
    bool alphaLock;

    bool empty() const noexcept { return dst.a == 0; }
    // With alphaLock the destination's 0 stays; else it was 0 already.
    void clear() noexcept { dst.r = dst.g = dst.b = 0; }
    void copy(uint32_t a) noexcept {
        dst.r = src.r;
        dst.g = src.g;
        dst.b = src.b;
        if (!alphaLock) dst.a = a;
    }
    template <int32_t Formula>
    void blend(uint32_t a) noexcept {
        BlendTerms t = sourceTerms(src, static_cast<float>(a) / 65535.0f, static_cast<float>(dst.a) / 65535.0f);
        const std::array<uint32_t, 3> dc = {dst.r, dst.g, dst.b};
        for (size_t i = 0; i < 3; ++i) t.dca[i] = static_cast<float>(dc[i]) * t.da / 65280.0f;
        const BlendResult r = scalarBlend<Formula>(t);
        const float ra = r.ra;
        dst.r = static_cast<uint32_t>(clampUnit(r.rc[0] / ra) * 65280.0f);
        dst.g = static_cast<uint32_t>(clampUnit(r.rc[1] / ra) * 65280.0f);
        dst.b = static_cast<uint32_t>(clampUnit(r.rc[2] / ra) * 65280.0f);
        if (!alphaLock) dst.a = static_cast<uint32_t>(ra * 65535.0f);
    }
};

// From opacity to the finish, for a source already rewritten: src.a is its alpha
// before opacity. Formula is formulaIndex() of the compositing mode. Writes the
// destination's colour (and alpha unless alphaLock) and returns true, or returns
// false when the destination stays as it is.
template <int32_t Formula>
inline bool compositeSource(WorkPixel& dst, const WorkPixel& src, int32_t opacity, bool alphaLock,
                            bool clearsEmpty) noexcept {
    WorkPixelDestination d{dst, src, alphaLock};
    return compositeFrame<Formula>(d, applyOpacity(src.a, opacity), clearsEmpty);
}

// The whole rule for one mode id 0..53; o is the alpha-layer opacity.
template <int32_t Mode>
inline bool mergeSourcePixel(WorkPixel& dst, WorkPixel src, int32_t opacity, bool alphaLock, uint32_t o) noexcept {
    static_assert(Mode >= 0 && Mode <= kLastMode);
    if (skipsTransparentSource(Mode, src.a)) return false;
    rewriteAlpha<Mode>(src, o);
    constexpr int32_t mode = compositingModeAfterRewrite(Mode);
    return compositeSource<formulaIndex(mode)>(dst, src, opacity, alphaLock, clearsEmptyDestination(mode));
}

using PixelMerge = bool (*)(WorkPixel& dst, WorkPixel src, int32_t opacity, bool alphaLock,
                            uint32_t o) noexcept;
using SourceComposite = bool (*)(WorkPixel& dst, const WorkPixel& src, int32_t opacity, bool alphaLock,
                                 bool clearsEmpty) noexcept;

// The instantiation for any id. Ids below 0 behave as the unassigned 31 (skip, then
// Normal), ids above 53 as 32 (no skip, no rewrite, then Normal).
PixelMerge pixelMergeFor(int32_t mode) noexcept;

// compositeSource for a compositing mode id as it stands after the rewrite.
SourceComposite sourceCompositeFor(int32_t mode) noexcept;

// The rule for one pixel with the canvas's alpha-layer opacity. Leaves the
// destination exactly as it is when the rule writes nothing; writes dA only when
// alphaLock is false.
void mergePixel(uint32_t& dR, uint32_t& dG, uint32_t& dB, uint32_t& dA, uint32_t sR, uint32_t sG, uint32_t sB,
                uint32_t sA, int32_t mode, int32_t opacity, bool alphaLock) noexcept;

}  // namespace dro
