// The blend-mode vocabulary: ids, the names hosts select them by, and the constants
// filter scripts see, all generated from one list. Id 31 is unassigned; ids 32..53
// are the alpha modes.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace dro {

// X(id, Enumerator, name, script constant); the alpha modes have no script constant.
// "Silhoulette" is spelled so by hosts.
#define DRO_BLEND_MODE_LIST(X) \
    X(0, Normal, "Normal", "MERGE_NORMAL") \
    X(1, Multiply, "Multiply", "MERGE_MULTIPLY") \
    X(2, Screen, "Screen", "MERGE_SCREEN") \
    X(3, Darken, "Darken", "MERGE_DARKEN") \
    X(4, Lighten, "Lighten", "MERGE_LIGHTEN") \
    X(5, Difference, "Difference", "MERGE_DIFFERENCE") \
    X(6, Negation, "Negation", "MERGE_NEGATION") \
    X(7, Exclusion, "Exclusion", "MERGE_EXCLUSION") \
    X(8, BitAnd, "AND", "MERGE_AND") \
    X(9, BitOr, "OR", "MERGE_OR") \
    X(10, BitXor, "XOR", "MERGE_XOR") \
    X(11, Overlay, "Overlay", "MERGE_OVERLAY") \
    X(12, HardLight, "Hard Light", "MERGE_HARD_LIGHT") \
    X(13, SoftLight, "Soft Light", "MERGE_SOFT_LIGHT") \
    X(14, Dodge, "Dodge", "MERGE_DODGE") \
    X(15, Burn, "Burn", "MERGE_BURN") \
    X(16, Reflect, "Reflect", "MERGE_REFLECT") \
    X(17, Glow, "Glow", "MERGE_GLOW") \
    X(18, Add, "Add", "MERGE_ADD") \
    X(19, Subtract, "Subtract", "MERGE_SUBTRACT") \
    X(20, Color, "Color", "MERGE_COLOR") \
    X(21, HardColor, "Hard Color", "MERGE_HARD_COLOR") \
    X(22, Colorize, "Colorize", "MERGE_COLORIZE") \
    X(23, HSLHue, "HSL Hue", "MERGE_HSL_HUE") \
    X(24, HSLSat, "HSL Sat", "MERGE_HSL_SAT") \
    X(25, HSLLum, "HSL Lum", "MERGE_HSL_LUM") \
    X(26, HSLColor, "HSL Color", "MERGE_HSL_COLOR") \
    X(27, Texturize, "Texturize", "MERGE_TEXTURIZE") \
    X(28, Texturize2, "Texturize2", "MERGE_TEXTURIZE2") \
    X(29, Texturize3, "Texturize3", "MERGE_TEXTURIZE3") \
    X(30, Silhouette, "Silhoulette", "MERGE_SILHOUETTE") \
    X(32, AlphaNormal, "Alpha Normal", "") \
    X(33, AlphaFilter, "Alpha Filter", "") \
    X(34, AlphaBlackOutline, "Alpha Black Outline", "") \
    X(35, AlphaOutlineTint1, "Alpha Outline Tint 1", "") \
    X(36, AlphaOutlineTint2, "Alpha Outline Tint 2", "") \
    X(37, AlphaInvert, "Alpha Invert", "") \
    X(38, AlphaShader, "Alpha Shader", "") \
    X(39, AlphaShaderColor, "Alpha Shader Color", "") \
    X(40, AlphaShaderTexture2, "Alpha Shader Texture2", "") \
    X(41, AlphaHighlightTexture2, "Alpha Highlight Texture2", "") \
    X(42, AlphaSmooth, "Alpha Smooth", "") \
    X(43, AlphaSmooth2, "Alpha Smooth2", "") \
    X(44, AlphaSmoothLum, "Alpha Smooth Lum", "") \
    X(45, AlphaSmoothLum2, "Alpha Smooth Lum2", "") \
    X(46, AlphaSmoothLum3, "Alpha Smooth Lum3", "") \
    X(47, AlphaSmoothLum4, "Alpha Smooth Lum4", "") \
    X(48, AlphaSmoothLum5, "Alpha Smooth Lum5", "") \
    X(49, AlphaOverlayOutline, "Alpha Overlay Outline", "") \
    X(50, AlphaHighlight, "Alpha Highlight", "") \
    X(51, LayerMask, "Layer Mask", "") \
    X(52, LuminanceAlpha, "Luminance Alpha", "") \
    X(53, LuminanceAlphaInvert, "Luminance Alpha Invert", "")

enum class BlendMode : int32_t {
#define DRO_BLEND_MODE_ENUM(id, enumerator, name, script) enumerator = id,
    DRO_BLEND_MODE_LIST(DRO_BLEND_MODE_ENUM)
#undef DRO_BLEND_MODE_ENUM
};

constexpr int32_t modeId(BlendMode mode) noexcept { return static_cast<int32_t>(mode); }

struct BlendModeEntry {
    int32_t id;
    std::string_view name;
    std::string_view scriptConstant;  // empty for the alpha modes
};

#define DRO_BLEND_MODE_ONE(id, enumerator, name, script) +1
inline constexpr int32_t kBlendModeCount = 0 DRO_BLEND_MODE_LIST(DRO_BLEND_MODE_ONE);
#undef DRO_BLEND_MODE_ONE
static_assert(kBlendModeCount == 53, "blend mode list");

inline constexpr std::array<BlendModeEntry, kBlendModeCount> kBlendModes = {{
#define DRO_BLEND_MODE_ENTRY(id, enumerator, name, script) {id, name, script},
    DRO_BLEND_MODE_LIST(DRO_BLEND_MODE_ENTRY)
#undef DRO_BLEND_MODE_ENTRY
}};

inline constexpr int32_t kModeNormal = modeId(BlendMode::Normal);
inline constexpr int32_t kModeTexturize2 = modeId(BlendMode::Texturize2);
inline constexpr int32_t kModeTexturize3 = modeId(BlendMode::Texturize3);  // drives the texture map
inline constexpr int32_t kUnassignedMode = 31;
inline constexpr int32_t kFirstAlphaMode = modeId(BlendMode::AlphaNormal);
inline constexpr int32_t kModeLayerMask = modeId(BlendMode::LayerMask);
inline constexpr int32_t kLastMode = modeId(BlendMode::LuminanceAlphaInvert);

// Ids rise by one except for the unassigned id, which separates the compositing
// modes from the alpha modes; the tables below index by id on that promise.
constexpr bool idsRiseAroundTheGap() noexcept {
    for (size_t i = 1; i < kBlendModes.size(); ++i) {
        const int32_t step = kBlendModes[i].id - kBlendModes[i - 1].id;
        if (step != (kBlendModes[i].id == kFirstAlphaMode ? 2 : 1)) return false;
    }
    return kBlendModes.front().id == 0 && kBlendModes.back().id == kLastMode && kFirstAlphaMode == kUnassignedMode + 1;
}
static_assert(idsRiseAroundTheGap());

// The id whose per-mode tables serve any id a host passes: ids below 0 behave as the
// unassigned 31 (skip, then Normal), ids above 53 as Alpha Normal (no skip, no
// rewrite, then Normal).
constexpr int32_t modeTableIndex(int32_t mode) noexcept {
    return mode < 0 ? kUnassignedMode : (mode > kLastMode ? kFirstAlphaMode : mode);
}

// Exact, case-sensitive lookup; an unknown or missing name selects Normal (0).
int32_t BlendModeFromName(const char* name) noexcept;

}  // namespace dro
