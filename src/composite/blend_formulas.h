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

namespace dro {

struct BlendTerms {
    float sa;
    float da;
    float invSa;  // 1 − Sa
    float invDa;  // 1 − Da
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
using ChannelFormula = float (*)(float sca, float dca, const BlendTerms&) noexcept;

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

// Sca + Dca·(1 − Sa)
inline float normal(float s, float d, const BlendTerms& t) noexcept { return s + d * t.invSa; }

// Sca·Dca + Sca·(1 − Da) + Dca·(1 − Sa)
inline float multiply(float s, float d, const BlendTerms& t) noexcept {
    return s * d + s * t.invDa + d * t.invSa;
}

// Sca + Dca − Sca·Dca
inline float screen(float s, float d, const BlendTerms&) noexcept { return s + d - s * d; }

// Dca·Sa ≤ Sca·Da ? Dca + Sca·(1 − Da) : Sca + Dca·(1 − Sa)
inline float darken(float s, float d, const BlendTerms& t) noexcept {
    return d * t.sa <= s * t.da ? d + s * t.invDa : s + d * t.invSa;
}

// Sca·Da ≤ Dca·Sa ? Dca + Sca·(1 − Da) : Sca + Dca·(1 − Sa)
inline float lighten(float s, float d, const BlendTerms& t) noexcept {
    return s * t.da <= d * t.sa ? d + s * t.invDa : s + d * t.invSa;
}

// Sca + Dca − 2·min(Sca·Da, Dca·Sa)
inline float difference(float s, float d, const BlendTerms& t) noexcept {
    return s + d - 2.0f * std::min(s * t.da, d * t.sa);
}

// Sca·Da + Dca·Sa − 2·Sca·Dca + Sca·(1 − Da) + Dca·(1 − Sa)   (Negation and Exclusion)
inline float exclusion(float s, float d, const BlendTerms& t) noexcept {
    return s * t.da + d * t.sa - 2.0f * s * d + s * t.invDa + d * t.invSa;
}

// (trunc(Sca·Sa·65535) op trunc(Dca·65535)) / 65535; the source is weighted by Sa twice.
template <class Op>
inline float bitwise(float s, float d, const BlendTerms& t) noexcept {
    const int32_t src = truncSaturated(s * t.sa * 65535.0f);
    const int32_t dst = truncSaturated(d * 65535.0f);
    return static_cast<float>(Op{}(src, dst)) / 65535.0f;
}

// Overlay when the test is on Dca, Hard Light when it is on Sca:
// dark ? 2·Sca·Dca + Sca·(1 − Da) + Dca·(1 − Sa)
//      : Sa·Da − 2·(Da − Dca)·(Sa − Sca) + Sca·(1 − Da) + Dca·(1 − Sa)
inline float overlayCore(float s, float d, const BlendTerms& t, bool dark) noexcept {
    if (dark) return 2.0f * s * d + s * t.invDa + d * t.invSa;
    return t.sa * t.da - 2.0f * (t.da - d) * (t.sa - s) + s * t.invDa + d * t.invSa;
}

// test 2·Dca < Da
inline float overlay(float s, float d, const BlendTerms& t) noexcept {
    return overlayCore(s, d, t, 2.0f * d < t.da);
}

// test 2·Sca < Sa
inline float hardLight(float s, float d, const BlendTerms& t) noexcept {
    return overlayCore(s, d, t, 2.0f * s < t.sa);
}

// m = Dca/Da;
// 2·Sca < Sa:  Dca·(Sa + (2·Sca − Sa)·(1 − m)) + Sca·(1 − Da) + Dca·(1 − Sa)
// 8·Dca ≤ Da:  Dca·(Sa + (2·Sca − Sa)·(1 − m)·(3 − 8·m)) + Sca·(1 − Da) + Dca·(1 − Sa)
// otherwise:   Dca·Sa + (2·Sca − Sa)·(√m·Da − Dca) + Sca·(1 − Da) + Dca·(1 − Sa)
inline float softLight(float s, float d, const BlendTerms& t) noexcept {
    const float m = d / t.da;
    if (2.0f * s < t.sa) return d * (t.sa + (2.0f * s - t.sa) * (1.0f - m)) + s * t.invDa + d * t.invSa;
    if (8.0f * d <= t.da) {
        return d * (t.sa + (2.0f * s - t.sa) * (1.0f - m) * (3.0f - 8.0f * m)) + s * t.invDa + d * t.invSa;
    }
    return d * t.sa + (2.0f * s - t.sa) * (std::sqrt(m) * t.da - d) + s * t.invDa + d * t.invSa;
}

// Sca·Da + Dca·Sa ≥ Sa·Da ? Sa·Da + Sca·(1 − Da) + Dca·(1 − Sa)
//                         : Dca·Sa / (1 − Sca/Sa) + Sca·(1 − Da) + Dca·(1 − Sa)
inline float dodge(float s, float d, const BlendTerms& t) noexcept {
    if (s * t.da + d * t.sa >= t.sa * t.da) return t.sa * t.da + s * t.invDa + d * t.invSa;
    return d * t.sa / (1.0f - s / t.sa) + s * t.invDa + d * t.invSa;
}

// Sca·Da + Dca·Sa > Sa·Da ? Sa·(Sca·Da + Dca·Sa − Sa·Da) / Sca + Sca·(1 − Da) + Dca·(1 − Sa)
//                        : Sca·(1 − Da) + Dca·(1 − Sa)
inline float burn(float s, float d, const BlendTerms& t) noexcept {
    if (s * t.da + d * t.sa > t.sa * t.da) {
        return t.sa * (s * t.da + d * t.sa - t.sa * t.da) / s + s * t.invDa + d * t.invSa;
    }
    return s * t.invDa + d * t.invSa;
}

// Sca + Dca
inline float add(float s, float d, const BlendTerms&) noexcept { return s + d; }

// Sca + Dca − Sa·Da
inline float subtract(float s, float d, const BlendTerms& t) noexcept { return s + d - t.sa * t.da; }

template <ChannelFormula F>
inline void perChannel(const BlendTerms& t, BlendResult& r) noexcept {
    for (int i = 0; i < 3; ++i) r.rc[i] = F(t.sca[i], t.dca[i], t);
}

// Ra = Sa + Da (the finish clamps it back to 1).
template <ChannelFormula F>
inline void perChannelSumAlpha(const BlendTerms& t, BlendResult& r) noexcept {
    perChannel<F>(t, r);
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

// Keyed by id; the check below keeps each formula at its mode's index.
struct FormulaEntry {
    int32_t mode;
    BlendFormula formula;
};

inline constexpr std::array<FormulaEntry, kNormalFormulaIndex + 1> kBlendFormulas = {{
    {modeId(BlendMode::Normal), blend::perChannel<blend::normal>},
    {modeId(BlendMode::Multiply), blend::perChannel<blend::multiply>},
    {modeId(BlendMode::Screen), blend::perChannel<blend::screen>},
    {modeId(BlendMode::Darken), blend::perChannel<blend::darken>},
    {modeId(BlendMode::Lighten), blend::perChannel<blend::lighten>},
    {modeId(BlendMode::Difference), blend::perChannel<blend::difference>},
    {modeId(BlendMode::Negation), blend::perChannel<blend::exclusion>},
    {modeId(BlendMode::Exclusion), blend::perChannel<blend::exclusion>},
    {modeId(BlendMode::BitAnd), blend::perChannel<blend::bitwise<std::bit_and<int32_t>>>},
    {modeId(BlendMode::BitOr), blend::perChannel<blend::bitwise<std::bit_or<int32_t>>>},
    {modeId(BlendMode::BitXor), blend::perChannel<blend::bitwise<std::bit_xor<int32_t>>>},
    {modeId(BlendMode::Overlay), blend::perChannel<blend::overlay>},
    {modeId(BlendMode::HardLight), blend::perChannel<blend::hardLight>},
    {modeId(BlendMode::SoftLight), blend::perChannel<blend::softLight>},
    {modeId(BlendMode::Dodge), blend::perChannel<blend::dodge>},
    {modeId(BlendMode::Burn), blend::perChannel<blend::burn>},
    {modeId(BlendMode::Reflect), blend::perChannel<blend::normal>},
    {modeId(BlendMode::Glow), blend::perChannel<blend::normal>},
    {modeId(BlendMode::Add), blend::perChannelSumAlpha<blend::add>},
    {modeId(BlendMode::Subtract), blend::perChannelSumAlpha<blend::subtract>},
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
    {modeId(BlendMode::Silhouette), blend::perChannel<blend::normal>},
    {kUnassignedMode, blend::perChannel<blend::normal>},  // and every id above
}};

constexpr bool formulasKeyedByIndex() noexcept {
    for (size_t i = 0; i < kBlendFormulas.size(); ++i) {
        if (kBlendFormulas[i].mode != static_cast<int32_t>(i)) return false;
    }
    return true;
}
static_assert(formulasKeyedByIndex());

}  // namespace dro
