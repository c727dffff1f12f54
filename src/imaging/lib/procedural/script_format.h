// Procedural image scripts: our own small text format (docs/procedural-scripts.md).
//
//   drovane-procedural 1
//   size 256 256
//   generator plasma seed=7 style=3 roughness=60
//   effect 51 degrees=30 repeat=2
//
// Parsing checks everything a run needs -- names, numbers, ranges and the limits below --
// so a parsed script always runs within known bounds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/lib/procedural/effect_table.h"

namespace dro::procedural {

inline constexpr std::string_view kScriptMagic = "drovane-procedural";
inline constexpr int32_t kScriptVersion = 1;
inline constexpr size_t kMaxScriptBytes = 64 * 1024;
inline constexpr size_t kMaxLineBytes = 1024;
inline constexpr int32_t kMaxImageSide = 4096;
inline constexpr int32_t kMaxChainLength = 16;
inline constexpr int32_t kMaxRepeat = 16;
inline constexpr int32_t kMaxEffectRuns = 64;  // effect runs of the whole chain, repeats counted

struct ScriptStep {
    const EffectEntry* effect = nullptr;
    EffectValues values{};
    int32_t repeat = 1;
};

struct ProceduralScript {
    int32_t width = 0;
    int32_t height = 0;
    ScriptStep generator;
    std::vector<ScriptStep> chain;
};

struct ParseResult {
    bool ok = false;
    ProceduralScript script;
    std::string error;  // "line N: what is wrong" when not ok
};

// True when the text starts like a script of ours (the magic word after optional
// blank and comment lines), so callers can tell a broken script from an image file.
bool looksLikeScript(std::string_view text) noexcept;

ParseResult parseScript(std::string_view text);

// Renders the script into an RGBA32 block of exactly its size (bytes blue, green,
// red, alpha). False when an effect fails.
bool renderScript(const ProceduralScript& script, uint8_t* image);

}  // namespace dro::procedural
