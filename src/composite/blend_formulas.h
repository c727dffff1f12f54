// The compositing formulas of the blend modes (ids 0..30; index 31 stands for every
// id from 31 up, which composites as Normal). One tiny pure function per mode, its
// formula in the comment, gathered in a table by id.
//
// Notation: Sca, Dca premultiplied colours normalised to 0..1 (by 65280, full 8-bit
// colour widened), Sa, Da alphas normalised by 65535. All terms are single-precision
// and evaluated left to right as written: the 16-bit results depend on it.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>

#include "core/blend_mode_table.h"
#include "composite/hsl.h"
#include "composite/lanes.h"

namespace dro {

struct AlphaTerms {
    float sa;
    float da;
    float invSa;  // 1 − Sa
    float invDa;  // 1 − Da
};

struct BlendTerms : AlphaTerms {
    std::array<float, 3> sca;
    std::array<float, 3> dca;
    std::array<uint32_t, 3> sc;  // source colour, not normalised
};

// ra arrives as the union Sa + Da − Sa·Da; formulas with another coverage set it.
struct BlendResult {
    std::array<float, 3> rc;
    float ra;
};

using BlendFormula = void (*)(const BlendTerms&, BlendResult&) noexcept;
using LaneFormula = F4 (*)(F4 sca, F4 dca, const AlphaTerms&) noexcept;

inline constexpr int32_t kNormalFormulaIndex = kUnassignedMode;

// Formula index of a compositing mode: 0..30 themselves, everything else Normal.
constexpr int32_t formulaIndex(int32_t mode) noexcept {
    return (mode >= 0 && mode < kNormalFormulaIndex) ? mode : kNormalFormulaIndex;
}

namespace blend {

// Truncates toward zero; NaN gives 0 and out-of-range values saturate.
inline int32_t truncSaturated(float v) noexcept {
    if (!(v == v)) return 0;
    if (v >= 2147483648.0f) return INT32_MAX;
    if (v <= -2147483648.0f) return INT32_MIN;
    return static_cast<int32_t>(v);
}

// Rules that run on either number type V: a float channel or the lanes of F4, with
// the alphas as floats. Each is one struct so that a table can name it for both.

// Sca + Dca·(1 − Sa)
struct Normal {
    template <class V>
    static V apply(V s, V d, const AlphaTerms& t) noexcept { return s + d * t.invSa; }
};

// Sca·Dca + Sca·(1 − Da) + Dca·(1 − Sa)
struct Multiply {
    template <class V>
    static V apply(V s, V d, const AlphaTerms& t) noexcept { return s * d + s * t.invDa + d * t.invSa; }
};

// Sca + Dca − Sca·Dca
struct Screen {
    template <class V>
    static V apply(V s, V d, const AlphaTerms&) noexcept { return s + d - s * d; }
};

// Dca·Sa ≤ Sca·Da ? Dca + Sca·(1 − Da) : Sca + Dca·(1 − Sa)
struct Darken {
    template <class V>
    static V apply(V s, V d, const AlphaTerms& t) noexcept {
        return pick(d * t.sa <= s * t.da, d + s * t.invDa, s + d * t.invSa);
    }
};

// Sca·Da ≤ Dca·Sa ? Dca + Sca·(1 − Da) : Sca + Dca·(1 − Sa)
struct Lighten {
    template <class V>
    static V apply(V s, V d, const AlphaTerms& t) noexcept {
        return pick(s * t.da <= d * t.sa, d + s * t.invDa, s + d * t.invSa);
    }
};

// Sca + Dca − 2·min(Sca·Da, Dca·Sa)
struct Difference {
    template <class V>
    static V apply(V s, V d, const AlphaTerms& t) noexcept { return s + d - 2.0f * minOf<V>(s * t.da, d * t.sa); }
};

// Sca·Da + Dca·Sa − 2·Sca·Dca + Sca·(1 − Da) + Dca·(1 − Sa)   (Negation and Exclusion)
struct Exclusion {
    template <class V>
    static V apply(V s, V d, const AlphaTerms& t) noexcept {
        return s * t.da + d * t.sa - 2.0f * s * d + s * t.invDa + d * t.invSa;
    }
};

// Overlay when the test is on Dca, Hard Light when it is on Sca:
// dark ? 2·Sca·Dca + Sca·(1 − Da) + Dca·(1 − Sa)
//      : Sa·Da − 2·(Da − Dca)·(Sa − Sca) + Sca·(1 − Da) + Dca·(1 − Sa)
template <bool TestOnSource>
struct OverlayRule {
    template <class V>
    static V apply(V s, V d, const AlphaTerms& t) noexcept {
        const V dark = 2.0f * s * d + s * t.invDa + d * t.invSa;
        const V light = t.sa * t.da - 2.0f * (t.da - d) * (t.sa - s) + s * t.invDa + d * t.invSa;
        if constexpr (TestOnSource) return pick(2.0f * s < t.sa, dark, light);  // 2·Sca < Sa
        else return pick(2.0f * d < t.da, dark, light);                         // 2·Dca < Da
    }
};
using Overlay = OverlayRule<false>;
using HardLight = OverlayRule<true>;

// Sca + Dca
struct Add {
    template <class V>
    static V apply(V s, V d, const AlphaTerms&) noexcept { return s + d; }
};

// Sca + Dca − Sa·Da
struct Subtract {
    template <class V>
    static V apply(V s, V d, const AlphaTerms& t) noexcept { return s + d - t.sa * t.da; }
};

// Float-only rules: each reads its channel alone, so the lanes keep the scalar code.

// (trunc(Sca·Sa·65535) op trunc(Dca·65535)) / 65535; the source is weighted by Sa twice.
template <class Op>
struct Bitwise {
    static float apply(float s, float d, const AlphaTerms& t) noexcept {
        const int32_t src = truncSaturated(s * t.sa * 65535.0f);
        const int32_t dst = truncSaturated(d * 65535.0f);
        return static_cast<float>(Op{}(src, dst)) / 65535.0f;
    }
};

// m = Dca/Da;
// 2·Sca < Sa:  Dca·(Sa + (2·Sca − Sa)·(1 − m)) + Sca·(1 − Da) + Dca·(1 − Sa)
// 8·Dca ≤ Da:  Dca·(Sa + (2·Sca − Sa)·(1 − m)·(3 − 8·m)) + Sca·(1 − Da) + Dca·(1 − Sa)
// otherwise:   Dca·Sa + (2·Sca − Sa)·(√m·Da − Dca) + Sca·(1 − Da) + Dca·(1 − Sa)
struct SoftLight {
    static float apply(float s, float d, const AlphaTerms& t) noexcept {
        const float m = d / t.da;
        if (2.0f * s < t.sa) return d * (t.sa + (2.0f * s - t.sa) * (1.0f - m)) + s * t.invDa + d * t.invSa;
        if (8.0f * d <= t.da) {
            return d * (t.sa + (2.0f * s - t.sa) * (1.0f - m) * (3.0f - 8.0f * m)) + s * t.invDa + d * t.invSa;
        }
        return d * t.sa + (2.0f * s - t.sa) * (std::sqrt(m) * t.da - d) + s * t.invDa + d * t.invSa;
    }
};

// Sca·Da + Dca·Sa ≥ Sa·Da ? Sa·Da + Sca·(1 − Da) + Dca·(1 − Sa)
//                         : Dca·Sa / (1 − Sca/Sa) + Sca·(1 − Da) + Dca·(1 − Sa)
struct Dodge {
    static float apply(float s, float d, const AlphaTerms& t) noexcept {
        if (s * t.da + d * t.sa >= t.sa * t.da) return t.sa * t.da + s * t.invDa + d * t.invSa;
        return d * t.sa / (1.0f - s / t.sa) + s * t.invDa + d * t.invSa;
    }
};

// Sca·Da + Dca·Sa > Sa·Da ? Sa·(Sca·Da + Dca·Sa − Sa·Da) / Sca + Sca·(1 − Da) + Dca·(1 − Sa)
//                        : Sca·(1 − Da) + Dca·(1 − Sa)
struct Burn {
    static float apply(float s, float d, const AlphaTerms& t) noexcept {
        if (s * t.da + d * t.sa > t.sa * t.da) {
            return t.sa * (s * t.da + d * t.sa - t.sa * t.da) / s + s * t.invDa + d * t.invSa;
        }
        return s * t.invDa + d * t.invSa;
    }
};

template <class Rule>
inline void perChannel(const BlendTerms& t, BlendResult& r) noexcept {
    for (size_t i = 0; i < 3; ++i) r.rc[i] = Rule::apply(t.sca[i], t.dca[i], t);
}

// Ra = Sa + Da (the finish clamps it back to 1).
template <class Rule>
inline void perChannelSumAlpha(const BlendTerms& t, BlendResult& r) noexcept {
    perChannel<Rule>(t, r);
    r.ra = t.sa + t.da;
}

// L = mean of Dca; Rc = Sca ± |L − 0.5|·Sa·Gain + Dca·(1 − Sa); Ra = Da.
// Color has gain 1, Hard Color 1.75.
template <bool Hard>
inline void colour(const BlendTerms& t, BlendResult& r) noexcept {
    const float l = (t.dca[0] + t.dca[1] + t.dca[2]) * 0.33333334f;
    for (int i = 0; i < 3; ++i) {
        if (l >= 0.5f) {
            float k = (l - 0.5f) * t.sa;
            if constexpr (Hard) k = k * 1.75f;
            r.rc[i] = t.sca[i] + k + t.dca[i] * t.invSa;
        } else {
            float k = (0.5f - l) * t.sa;
            if constexpr (Hard) k = k * 1.75f;
            r.rc[i] = t.sca[i] - k + t.dca[i] * t.invSa;
        }
    }
    r.ra = t.da;
}

inline Hsl sourceHsl(const BlendTerms& t) noexcept {
    return RgbToHsl(static_cast<float>(t.sc[0]) / 65280.0f, static_cast<float>(t.sc[1]) / 65280.0f,
                    static_cast<float>(t.sc[2]) / 65280.0f);
}

// Rc = Dca·(1 − Sa) + c·Sa for the blended colour c; Ra = Da.
inline void mixIn(const RgbF& c, const BlendTerms& t, BlendResult& r) noexcept {
    const std::array<float, 3> cs = {c.r, c.g, c.b};
    for (int i = 0; i < 3; ++i) r.rc[i] = t.dca[i] * t.invSa + cs[i] * t.sa;
    r.ra = t.da;
}

// Source hue and saturation at lum = (3·DcaR + 4·DcaG + DcaB) / 8.
inline void colorize(const BlendTerms& t, BlendResult& r) noexcept {
    const float lum = (3.0f * t.dca[0] + 4.0f * t.dca[1] + t.dca[2]) * 0.125f;
    const Hsl src = sourceHsl(t);
    mixIn(HslToRgb(src.h, src.s, lum), t, r);
}

// HSL Hue, Sat, Lum, Color: each component from the source (S) or the destination's
// premultiplied colour (D).
enum class From { S, D };
template <From Hue, From Sat, From Lum>
inline void hslBlend(const BlendTerms& t, BlendResult& r) noexcept {
    const Hsl src = sourceHsl(t);
    const Hsl dst = RgbToHsl(t.dca[0], t.dca[1], t.dca[2]);
    const float h = Hue == From::S ? src.h : dst.h;
    const float s = Sat == From::S ? src.s : dst.s;
    const float l = Lum == From::S ? src.l : dst.l;
    mixIn(HslToRgb(h, s, l), t, r);
}

// Moves c toward white or black by |l − 0.5|·gain·Sa.
inline float shiftByLightness(float c, float l, float gain, float sa) noexcept {
    return l >= 0.5f ? c + (l - 0.5f) * gain * sa : c - (0.5f - l) * gain * sa;
}

inline float sourceLightness(const BlendTerms& t) noexcept {
    return static_cast<float>(t.sc[0] + t.sc[1] + t.sc[2]) / 195840.0f;  // sum / (3·65280)
}

// L = source lightness; Dc = Dca/Da; X = Dc shifted by L (gain 1); L2 = mean of X;
// Rc = Dc shifted by L2 (gain 1.75); Ra = Da. Rc is not premultiplied, yet the finish
// still divides it by Ra: that is the look of the mode.
inline void texturize(const BlendTerms& t, BlendResult& r) noexcept {
    const float l = sourceLightness(t);
    std::array<float, 3> dc{};
    std::array<float, 3> x{};
    for (int i = 0; i < 3; ++i) {
        dc[i] = t.dca[i] / t.da;
        x[i] = shiftByLightness(dc[i], l, 1.0f, t.sa);
    }
    const float l2 = (x[0] + x[1] + x[2]) * 0.33333334f;
    for (int i = 0; i < 3; ++i) r.rc[i] = shiftByLightness(dc[i], l2, 1.75f, t.sa);
    r.ra = t.da;
}

// Rc = Dc shifted by the source lightness (gain 1.75); Ra = Da; not premultiplied.
inline void texturize2(const BlendTerms& t, BlendResult& r) noexcept {
    const float l = sourceLightness(t);
    for (int i = 0; i < 3; ++i) r.rc[i] = shiftByLightness(t.dca[i] / t.da, l, 1.75f, t.sa);
    r.ra = t.da;
}

// Rc = Dca; Ra = Da. The merge keeps the destination; the mode acts through the
// layer texture instead.
inline void texturize3(const BlendTerms& t, BlendResult& r) noexcept {
    r.rc = t.dca;
    r.ra = t.da;
}

}  // namespace blend

// Keyed by id; the check below keeps each formula at its mode's index. A formula
// whose channel rule runs on either number type names it for the lanes too.
struct FormulaEntry {
    int32_t mode;
    BlendFormula formula;
    LaneFormula lanes = nullptr;
    bool onLanes = false;     // false: the lanes keep the scalar formula; a flag, since
                              // not every build can compare function addresses in constants
    bool sumsAlpha = false;   // Ra = Sa + Da instead of the union
};

template <class Rule>
constexpr FormulaEntry channelEntry(BlendMode mode) noexcept {
    return {modeId(mode), blend::perChannel<Rule>, &Rule::template apply<F4>, true};
}
template <class Rule>
constexpr FormulaEntry sumAlphaEntry(BlendMode mode) noexcept {
    return {modeId(mode), blend::perChannelSumAlpha<Rule>, &Rule::template apply<F4>, true, true};
}
template <class Rule>
constexpr FormulaEntry floatChannelEntry(BlendMode mode) noexcept {
    return {modeId(mode), blend::perChannel<Rule>};
}

inline constexpr std::array<FormulaEntry, kNormalFormulaIndex + 1> kBlendFormulas = {{
    channelEntry<blend::Normal>(BlendMode::Normal),
    channelEntry<blend::Multiply>(BlendMode::Multiply),
    channelEntry<blend::Screen>(BlendMode::Screen),
    channelEntry<blend::Darken>(BlendMode::Darken),
    channelEntry<blend::Lighten>(BlendMode::Lighten),
    channelEntry<blend::Difference>(BlendMode::Difference),
    channelEntry<blend::Exclusion>(BlendMode::Negation),
    channelEntry<blend::Exclusion>(BlendMode::Exclusion),
    floatChannelEntry<blend::Bitwise<std::bit_and<int32_t>>>(BlendMode::BitAnd),
    floatChannelEntry<blend::Bitwise<std::bit_or<int32_t>>>(BlendMode::BitOr),
    floatChannelEntry<blend::Bitwise<std::bit_xor<int32_t>>>(BlendMode::BitXor),
    channelEntry<blend::Overlay>(BlendMode::Overlay),
    channelEntry<blend::HardLight>(BlendMode::HardLight),
    floatChannelEntry<blend::SoftLight>(BlendMode::SoftLight),
    floatChannelEntry<blend::Dodge>(BlendMode::Dodge),
    floatChannelEntry<blend::Burn>(BlendMode::Burn),
    channelEntry<blend::Normal>(BlendMode::Reflect),
    channelEntry<blend::Normal>(BlendMode::Glow),
    sumAlphaEntry<blend::Add>(BlendMode::Add),
    sumAlphaEntry<blend::Subtract>(BlendMode::Subtract),
    {modeId(BlendMode::Color), blend::colour<false>},
    {modeId(BlendMode::HardColor), blend::colour<true>},
    {modeId(BlendMode::Colorize), blend::colorize},
    {modeId(BlendMode::HSLHue), blend::hslBlend<blend::From::S, blend::From::D, blend::From::D>},
    {modeId(BlendMode::HSLSat), blend::hslBlend<blend::From::D, blend::From::S, blend::From::D>},
    {modeId(BlendMode::HSLLum), blend::hslBlend<blend::From::D, blend::From::D, blend::From::S>},
    {modeId(BlendMode::HSLColor), blend::hslBlend<blend::From::S, blend::From::S, blend::From::D>},
    {modeId(BlendMode::Texturize), blend::texturize},
    {modeId(BlendMode::Texturize2), blend::texturize2},
    {modeId(BlendMode::Texturize3), blend::texturize3},
    channelEntry<blend::Normal>(BlendMode::Silhouette),
    {kUnassignedMode, blend::perChannel<blend::Normal>, &blend::Normal::apply<F4>, true},  // and every id above
}};

constexpr bool formulasKeyedByIndex() noexcept {
    for (size_t i = 0; i < kBlendFormulas.size(); ++i) {
        if (kBlendFormulas[i].mode != static_cast<int32_t>(i)) return false;
    }
    return true;
}
static_assert(formulasKeyedByIndex());

}  // namespace dro
