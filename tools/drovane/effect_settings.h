// The settings an effect dialog passes: six sliders, six flags, two styles, a variant
// and a colour, read from --slider1..6, --flag1..6, --style1..2, --variant, --color.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "arguments.h"

namespace cli {

struct EffectSettings {
    std::array<int32_t, 6> sliders{500, 500, 500, 500, 500, 500};
    std::array<uint8_t, 6> flags{};
    std::array<int32_t, 2> styles{};
    std::array<int32_t, 3> color{};
    int32_t variant = 0;
};

// The option names to hand to Arguments.
std::vector<std::string> effectValueOptions();
std::vector<std::string> effectFlagOptions();

// Settings not given keep the defaults in s.
EffectSettings readEffectSettings(const Arguments& args, EffectSettings s = {});

}  // namespace cli
