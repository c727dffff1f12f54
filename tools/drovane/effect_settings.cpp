#include "effect_settings.h"

#include <sstream>

namespace cli {
namespace {

std::vector<std::string> numbered(const std::string& stem, int count) {
    std::vector<std::string> names;
    for (int i = 1; i <= count; ++i) names.push_back(stem + std::to_string(i));
    return names;
}

std::array<int32_t, 3> parseColor(const std::string& text) {
    std::array<int32_t, 3> rgb{};
    std::stringstream in(text);
    std::string part;
    for (auto& channel : rgb) {
        if (!std::getline(in, part, ',')) throw UsageError("--color wants R,G,B");
        channel = parseInteger("--color", part, 0, 255);
    }
    if (std::getline(in, part, ',')) throw UsageError("--color wants R,G,B");
    return rgb;
}

}  // namespace

std::vector<std::string> effectValueOptions() {
    auto options = numbered("--slider", 6);
    for (const auto& style : numbered("--style", 2)) options.push_back(style);
    options.push_back("--color");
    options.push_back("--variant");
    return options;
}

std::vector<std::string> effectFlagOptions() { return numbered("--flag", 6); }

EffectSettings readEffectSettings(const Arguments& args, EffectSettings s) {
    for (size_t i = 0; i < s.sliders.size(); ++i) {
        s.sliders[i] = args.integer("--slider" + std::to_string(i + 1), s.sliders[i], 0, 100000);
        s.flags[i] = args.has("--flag" + std::to_string(i + 1)) ? 1 : 0;
    }
    for (size_t i = 0; i < s.styles.size(); ++i)
        s.styles[i] = args.integer("--style" + std::to_string(i + 1), s.styles[i], 0, 1000);
    if (args.has("--color")) s.color = parseColor(args.text("--color"));
    s.variant = args.integer("--variant", s.variant, 0, 1000);
    return s;
}

}  // namespace cli
