// The blend-mode vocabulary: ids, the names hosts select them by, and the constants
// filter scripts see. Id 31 is unassigned; ids 32..53 are the alpha modes.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace dro {

struct BlendModeEntry {
    int32_t id;
    std::string_view name;
    std::string_view scriptConstant;  // empty for the alpha modes
};

inline constexpr int32_t kModeNormal = 0;
inline constexpr int32_t kModeTexturize2 = 28;
inline constexpr int32_t kModeTexturize3 = 29;  // drives the texture map
inline constexpr int32_t kFirstAlphaMode = 32;
inline constexpr int32_t kModeLayerMask = 51;
inline constexpr int32_t kLastMode = 53;

inline constexpr std::array<BlendModeEntry, 53> kBlendModes = {{
    {0, "Normal", "MERGE_NORMAL"},
    {1, "Multiply", "MERGE_MULTIPLY"},
    {2, "Screen", "MERGE_SCREEN"},
    {3, "Darken", "MERGE_DARKEN"},
    {4, "Lighten", "MERGE_LIGHTEN"},
    {5, "Difference", "MERGE_DIFFERENCE"},
    {6, "Negation", "MERGE_NEGATION"},
    {7, "Exclusion", "MERGE_EXCLUSION"},
    {8, "AND", "MERGE_AND"},
    {9, "OR", "MERGE_OR"},
    {10, "XOR", "MERGE_XOR"},
    {11, "Overlay", "MERGE_OVERLAY"},
    {12, "Hard Light", "MERGE_HARD_LIGHT"},
    {13, "Soft Light", "MERGE_SOFT_LIGHT"},
    {14, "Dodge", "MERGE_DODGE"},
    {15, "Burn", "MERGE_BURN"},
    {16, "Reflect", "MERGE_REFLECT"},
    {17, "Glow", "MERGE_GLOW"},
    {18, "Add", "MERGE_ADD"},
    {19, "Subtract", "MERGE_SUBTRACT"},
    {20, "Color", "MERGE_COLOR"},
    {21, "Hard Color", "MERGE_HARD_COLOR"},
    {22, "Colorize", "MERGE_COLORIZE"},
    {23, "HSL Hue", "MERGE_HSL_HUE"},
    {24, "HSL Sat", "MERGE_HSL_SAT"},
    {25, "HSL Lum", "MERGE_HSL_LUM"},
    {26, "HSL Color", "MERGE_HSL_COLOR"},
    {27, "Texturize", "MERGE_TEXTURIZE"},
    {28, "Texturize2", "MERGE_TEXTURIZE2"},
    {29, "Texturize3", "MERGE_TEXTURIZE3"},
    {30, "Silhoulette", "MERGE_SILHOUETTE"},  // spelled so by hosts
    {32, "Alpha Normal", ""},
    {33, "Alpha Filter", ""},
    {34, "Alpha Black Outline", ""},
    {35, "Alpha Outline Tint 1", ""},
    {36, "Alpha Outline Tint 2", ""},
    {37, "Alpha Invert", ""},
    {38, "Alpha Shader", ""},
    {39, "Alpha Shader Color", ""},
    {40, "Alpha Shader Texture2", ""},
    {41, "Alpha Highlight Texture2", ""},
    {42, "Alpha Smooth", ""},
    {43, "Alpha Smooth2", ""},
    {44, "Alpha Smooth Lum", ""},
    {45, "Alpha Smooth Lum2", ""},
    {46, "Alpha Smooth Lum3", ""},
    {47, "Alpha Smooth Lum4", ""},
    {48, "Alpha Smooth Lum5", ""},
    {49, "Alpha Overlay Outline", ""},
    {50, "Alpha Highlight", ""},
    {51, "Layer Mask", ""},
    {52, "Luminance Alpha", ""},
    {53, "Luminance Alpha Invert", ""},
}};

// Exact, case-sensitive lookup; an unknown or missing name selects Normal (0).
int32_t BlendModeFromName(const char* name) noexcept;

}  // namespace dro
