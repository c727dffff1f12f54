// The numbered effects of the procedural interpreter: for each number, its name in
// scripts, the name of the host effect that runs it, whether it generates a picture or
// changes one, and its named values (the index ISL_SetEffectValue addresses, default
// and range). Script files, ISL_AddEffect and the host effects all read this one table.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace dro::procedural {

inline constexpr int32_t kValueCount = 16;
using EffectValues = std::array<int32_t, kValueCount>;

// Runs on an RGBA32 block (bytes blue, green, red, alpha; stride width * 4) with
// every value already inside its range. False when the work could not be done (the
// image may then be partly written).
using EffectRun = bool (*)(uint8_t* image, int32_t width, int32_t height, const EffectValues& values);

struct ValueRule {
    std::string_view name;
    int32_t index = 0;
    int32_t defaultValue = 0;
    int32_t minimum = 0;
    int32_t maximum = 0;
};

enum class EffectKind : uint8_t { generator, filter };

struct EffectEntry {
    int32_t number = 0;
    std::string_view scriptName;  // as written in scripts, lower case
    std::string_view hostName;    // the host effect that runs it, "" when none does
    EffectKind kind = EffectKind::filter;
    EffectRun run = nullptr;
    std::span<const ValueRule> values;
    std::string_view summary;

    const ValueRule* value(std::string_view name) const noexcept;
    // Every value at its default.
    EffectValues defaults() const noexcept;
    // Each value clamped into its range; unnamed slots keep what they hold.
    EffectValues clamped(const EffectValues& v) const noexcept;
};

std::span<const EffectEntry> effectTable() noexcept;
const EffectEntry* effectByNumber(int32_t number) noexcept;
const EffectEntry* effectByName(std::string_view scriptName) noexcept;

// The colour styles a generator's "style" value picks: 0-11 colour ramps (fire, ice,
// earth, forest, sunset, ocean, rainbow, metal, candy, lava, moss, dusk), 12 grey (the
// default), 13 inverted grey, 14 ramps of random hues drawn from the seed, 15 black and
// white bands, 16 sepia, 17 neon.
inline constexpr int32_t kStyleCount = 18;
inline constexpr int32_t kStyleGrey = 12;

// Generators share the first two values: 0 the seed, 1 the colour style.
inline constexpr int32_t kSeedValue = 0;
inline constexpr int32_t kStyleValue = 1;

// The host's style 2 as a generator's colour style: 0 (the host's default) becomes grey
// (12), 1-12 become ramps 0-11, anything else passes unchanged.
int32_t generatorStyleFromHost(int32_t hostStyle) noexcept;

}  // namespace dro::procedural
