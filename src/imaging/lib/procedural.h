// The procedural-image script interpreter of our imaging library (the ISL_ calls).
// A session is always driven in this order: ISL_Initialize (false: give up),
// ISL_LoadScriptFromFile (false: give up), ISL_InitBuffers, ISL_ReadScriptHeaderFromFile,
// then ISL_ExecuteScript into an image of the header's size -- or, without a script,
// ISL_AddEffect / ISL_SetEffectValue and ISL_ExecuteScriptOnImage -- and last
// ISL_Finish whenever ISL_Initialize succeeded.
//
// Script files are ours (docs/procedural-scripts.md); a file that is not one reports
// "not a script", so callers fall back to reading the path as an image file, and a
// broken one reports the parser's "line N: ..." message. Images are RGBA32 blocks
// whose bytes run blue, green, red, alpha; the effect numbers and their values are
// the table in procedural/effect_table.h.
#pragma once

#include <array>
#include <cstdint>

namespace dro {

inline constexpr int kIslHeaderBytes = 64;
inline constexpr int kIslMaxEffects = 16;
inline constexpr int kIslEffectValues = 16;  // procedural::kValueCount

// Built-in effect numbers.
inline constexpr int32_t kIslEffectRotate = 51;  // value 3: degrees; value 4: scale percent (100 = same)

// The header record of a script file. The engine reads only the size of the image the
// script generates: 32-bit little-endian ints at bytes 16 and 20.
struct IslScriptHeader {
    std::array<uint8_t, kIslHeaderBytes> bytes{};
    int32_t imageWidth() const noexcept;
    int32_t imageHeight() const noexcept;
};

bool ISL_Initialize() noexcept;
bool ISL_LoadScriptFromFile(const char* path) noexcept;
bool ISL_InitBuffers() noexcept;
bool ISL_ReadScriptHeaderFromFile(const char* path, IslScriptHeader* header) noexcept;
// Renders the loaded script into an RGBA32 image of width x height (stride width * 4).
bool ISL_ExecuteScript(uint8_t* image, int32_t width, int32_t height) noexcept;
// Runs the added effects, in the order added, on an RGBA32 image (stride width * 4).
// False when no effect is added or any effect fails.
bool ISL_ExecuteScriptOnImage(uint8_t* image, int32_t width, int32_t height) noexcept;
// Appends a built-in effect; false for an unknown number or a full session.
bool ISL_AddEffect(int32_t effect, int32_t enabled) noexcept;
// Sets value valueIndex of the effect added as effectIndex (0 = first added).
bool ISL_SetEffectValue(int32_t effectIndex, int32_t valueIndex, int32_t value) noexcept;
void ISL_Finish() noexcept;
// The reason the last call of this session failed ("" when none did).
const char* ISL_GetLastError() noexcept;

}  // namespace dro
