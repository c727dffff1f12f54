// The alpha modes (ids 32..53): each rewrites the source pixel's colour and alpha
// before it composites, then the pixel composites as Normal (40 and 41 as
// Texturize2). One small function per mode, gathered in a table by id.
//
// p.a holds the source alpha s on entry and the new alpha a on return; o is the
// canvas's alpha-layer opacity. Tests on s are on the unsigned 32-bit value, so an
// out-of-range input wraps exactly as the integer arithmetic says instead of being
// clamped.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/blend_mode_table.h"
#include "composite/work_pixel.h"

namespace dro {

using AlphaRewrite = void (*)(WorkPixel& p, uint32_t o) noexcept;

namespace alpha_mode {

inline void setColour(WorkPixel& p, uint32_t v) noexcept { p.r = p.g = p.b = v; }

// Darkens by twice the distance of s below half alpha; s < 0x7FFF.
inline void darkenBelowHalf(WorkPixel& p, uint32_t s) noexcept {
    const uint32_t k = (0x7FFFu - s) * 2u;
    for (uint32_t* c : {&p.r, &p.g, &p.b}) *c = *c < k ? 0u : *c - k;
}

// Lightens by twice the distance of s above half alpha; s >= 0x7FFF.
inline void lightenAboveHalf(WorkPixel& p, uint32_t s) noexcept {
    const uint32_t k = 2u * s - 0xFFFEu;
    for (uint32_t* c : {&p.r, &p.g, &p.b}) *c = std::min(*c + k, 65535u);
}

// Alpha rises from 0 at s = 0x1FFF to full at 0x23FF, by 64 per unit of s.
inline uint32_t edgeRamp(uint32_t s) noexcept { return 65535u - std::min(65535u, (0x23FFu - s) * 64u); }

// Colour curve of the Smooth Lum modes: below `split` the colour moves toward
// black by (pivot − s) / darkSpan, above it toward white by (s − pivot) / lightSpan.
struct LumCurve {
    uint32_t split;
    uint32_t pivot;
    double darkSpan;
    double lightSpan;
};
inline constexpr LumCurve kLum = {0x8000, 0x7FFF, 32767.0, 32767.0};
inline constexpr LumCurve kLum2 = {0x8000, 0x7FFF, 65535.0, 32767.0};
inline constexpr LumCurve kLum3 = {0x8FFF, 0x8FFE, 30000.0, 28672.0};

// Truncates toward zero and keeps the low 32 bits, as a 32-bit integer channel would.
inline uint32_t truncToChannel(double v) noexcept { return static_cast<uint32_t>(static_cast<int64_t>(v)); }

// Applied whatever s is, including 0.
inline void shadeByLum(WorkPixel& p, uint32_t s, const LumCurve& curve) noexcept {
    if (s < curve.split) {
        const double f = static_cast<double>(curve.pivot - s) / curve.darkSpan;
        for (uint32_t* c : {&p.r, &p.g, &p.b}) *c = truncToChannel(*c - *c * f);
    } else {
        const double f = static_cast<double>(s - curve.pivot) / curve.lightSpan;
        for (uint32_t* c : {&p.r, &p.g, &p.b}) *c = truncToChannel(*c + (65535.0 - *c) * f);
    }
}

// Alpha of Smooth Lum 1..3: faint pixels vanish, the rest take the layer opacity.
inline uint32_t lumAlpha(uint32_t s, uint32_t o) noexcept {
    if (s == 0) return 0;
    return s <= 0x1FFEu ? 0u : o;
}

// Alpha of Smooth Lum 4..5: as lumAlpha with a ramp before the layer opacity.
inline uint32_t lumRampAlpha(uint32_t s, uint32_t o) noexcept {
    if (s == 0) return 0;
    if (s <= 0x1FFEu) return 0;
    return s < 0x23FFu ? edgeRamp(s) : o;
}

// 32 Alpha Normal: unchanged.
inline void normal(WorkPixel&, uint32_t) noexcept {}

// 33 Alpha Filter: white, a = 65535 − s.
inline void filter(WorkPixel& p, uint32_t) noexcept {
    setColour(p, 65535u);
    p.a = 65535u - p.a;
}

// 34, 49 Black Outline / Overlay Outline: partly covered pixels become black at o.
inline void blackOutline(WorkPixel& p, uint32_t o) noexcept {
    if (p.a >= 1u && p.a <= 0xFEFFu) {
        setColour(p, 0u);
        p.a = o;
    }
}

// 35, 36 Outline Tint: faint pixels inverted, the rest at o.
inline void outlineTint(WorkPixel& p, uint32_t o) noexcept {
    if (p.a != 0) p.a = p.a < 0x2FFFu ? 65535u - p.a : o;
}

// 37 Alpha Invert: a = 65535 − s where covered.
inline void invert(WorkPixel& p, uint32_t) noexcept {
    if (p.a != 0) p.a = 65535u - p.a;
}

// 38 Alpha Shader: grey of level s at o.
inline void shader(WorkPixel& p, uint32_t o) noexcept {
    if (p.a != 0) {
        setColour(p, p.a);
        p.a = o;
    }
}

// 39, 40 Shader Color / Shader Texture2: colour darkened or lightened by s, at o.
inline void shaderColour(WorkPixel& p, uint32_t o) noexcept {
    const uint32_t s = p.a;
    if (s == 0) return;
    if (s < 0x7FFFu) {
        darkenBelowHalf(p, s);
    } else {
        lightenAboveHalf(p, s);
    }
    p.a = o;
}

// 41 and 42 split at half alpha: above, the alpha becomes o (41 lightens the colour
// first); below, it shrinks by Rate times the distance of s from half, to no less than 0.
template <bool Lighten, uint32_t Rate>
inline void splitAtHalf(WorkPixel& p, uint32_t o) noexcept {
    const uint32_t s = p.a;
    if (s == 0) return;
    if (s >= 0x7FFFu) {
        if constexpr (Lighten) lightenAboveHalf(p, s);
        p.a = o;
    } else {
        const uint32_t k = (0x7FFFu - s) * Rate;
        p.a = s < k ? 0u : s - k;
    }
}

// 41 Highlight Texture2: above half, lightened at o; below, the alpha shrinks.
inline void highlightTexture(WorkPixel& p, uint32_t o) noexcept { splitAtHalf<true, 2u>(p, o); }

// 42 Alpha Smooth: above half at o; below, the alpha shrinks twice as fast as 41's.
inline void smooth(WorkPixel& p, uint32_t o) noexcept { splitAtHalf<false, 4u>(p, o); }

// 43 Alpha Smooth2: faint pixels vanish, a short ramp, then o.
inline void smooth2(WorkPixel& p, uint32_t o) noexcept {
    const uint32_t s = p.a;
    if (s == 0) return;
    if (s < 0x1FFFu) {
        p.a = 0;
    } else if (s > 0x23FEu) {
        p.a = o;
    } else {
        p.a = edgeRamp(s);
    }
}

// 44..48 Smooth Lum 1..5: a colour curve and an alpha rule each.
template <const LumCurve& Curve, uint32_t (*Alpha)(uint32_t, uint32_t) noexcept>
inline void smoothLum(WorkPixel& p, uint32_t o) noexcept {
    const uint32_t s = p.a;
    shadeByLum(p, s, Curve);
    p.a = Alpha(s, o);
}

// 50 Alpha Highlight: only the faint half paints.
inline void highlight(WorkPixel& p, uint32_t) noexcept {
    if (p.a > 0x7F00u) p.a = 0;
}

// 51 Layer Mask: a mask layer never paints.
inline void layerMask(WorkPixel& p, uint32_t) noexcept { p.a = 0; }

// 52 Luminance Alpha: white, alpha = mean of the colour.
inline void luminanceAlpha(WorkPixel& p, uint32_t) noexcept {
    p.a = (p.r + p.g + p.b) / 3u;
    setColour(p, 65535u);
}

// 53 Luminance Alpha Invert: black, alpha = 65535 − mean of the colour.
inline void luminanceAlphaInvert(WorkPixel& p, uint32_t) noexcept {
    p.a = 65535u - (p.r + p.g + p.b) / 3u;
    setColour(p, 0u);
}

}  // namespace alpha_mode

struct AlphaRewriteEntry {
    BlendMode mode;
    AlphaRewrite rewrite;
};

// Keyed by mode, in id order from kFirstAlphaMode; the check below keeps it so.
inline constexpr std::array<AlphaRewriteEntry, kLastMode - kFirstAlphaMode + 1> kAlphaRewrites = {{
    {BlendMode::AlphaNormal, alpha_mode::normal},
    {BlendMode::AlphaFilter, alpha_mode::filter},
    {BlendMode::AlphaBlackOutline, alpha_mode::blackOutline},
    {BlendMode::AlphaOutlineTint1, alpha_mode::outlineTint},
    {BlendMode::AlphaOutlineTint2, alpha_mode::outlineTint},
    {BlendMode::AlphaInvert, alpha_mode::invert},
    {BlendMode::AlphaShader, alpha_mode::shader},
    {BlendMode::AlphaShaderColor, alpha_mode::shaderColour},
    {BlendMode::AlphaShaderTexture2, alpha_mode::shaderColour},
    {BlendMode::AlphaHighlightTexture2, alpha_mode::highlightTexture},
    {BlendMode::AlphaSmooth, alpha_mode::smooth},
    {BlendMode::AlphaSmooth2, alpha_mode::smooth2},
    {BlendMode::AlphaSmoothLum, alpha_mode::smoothLum<alpha_mode::kLum, alpha_mode::lumAlpha>},
    {BlendMode::AlphaSmoothLum2, alpha_mode::smoothLum<alpha_mode::kLum2, alpha_mode::lumAlpha>},
    {BlendMode::AlphaSmoothLum3, alpha_mode::smoothLum<alpha_mode::kLum3, alpha_mode::lumAlpha>},
    {BlendMode::AlphaSmoothLum4, alpha_mode::smoothLum<alpha_mode::kLum3, alpha_mode::lumRampAlpha>},
    {BlendMode::AlphaSmoothLum5, alpha_mode::smoothLum<alpha_mode::kLum, alpha_mode::lumRampAlpha>},
    {BlendMode::AlphaOverlayOutline, alpha_mode::blackOutline},
    {BlendMode::AlphaHighlight, alpha_mode::highlight},
    {BlendMode::LayerMask, alpha_mode::layerMask},
    {BlendMode::LuminanceAlpha, alpha_mode::luminanceAlpha},
    {BlendMode::LuminanceAlphaInvert, alpha_mode::luminanceAlphaInvert},
}};

constexpr bool rewritesKeyedById() noexcept {
    for (size_t i = 0; i < kAlphaRewrites.size(); ++i) {
        if (modeId(kAlphaRewrites[i].mode) != kFirstAlphaMode + static_cast<int32_t>(i)) return false;
    }
    return true;
}
static_assert(rewritesKeyedById());

constexpr bool isAlphaMode(int32_t mode) noexcept { return mode >= kFirstAlphaMode && mode <= kLastMode; }

// The mode a pixel composites with once rewritten. For 40 and 41 the switch to
// Texturize2 only matters when s != 0: with s = 0 the pixel has no alpha and both
// modes give the same result.
constexpr int32_t compositingModeAfterRewrite(int32_t mode) noexcept {
    return (mode == modeId(BlendMode::AlphaShaderTexture2) || mode == modeId(BlendMode::AlphaHighlightTexture2))
               ? kModeTexturize2
               : mode;
}

template <int32_t Mode>
inline void rewriteAlpha(WorkPixel& p, uint32_t o) noexcept {
    if constexpr (isAlphaMode(Mode)) {
        constexpr AlphaRewrite rewrite = kAlphaRewrites[Mode - kFirstAlphaMode].rewrite;
        rewrite(p, o);
    }
}

// Rewrites p for any id (no-op outside 32..53) and returns the compositing mode.
inline int32_t rewriteAlpha(int32_t mode, WorkPixel& p, uint32_t o) noexcept {
    if (!isAlphaMode(mode)) return mode;
    kAlphaRewrites[static_cast<size_t>(mode - kFirstAlphaMode)].rewrite(p, o);
    return compositingModeAfterRewrite(mode);
}

}  // namespace dro
