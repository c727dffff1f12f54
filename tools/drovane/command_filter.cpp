// Runs one image effect on a picture, the way a host's effect dialog does: the picture
// becomes the current layer, the working buffers are allocated, the effect runs through
// the one effect entry, and the page is saved.
#include <algorithm>
#include <array>
#include <cstdio>
#include <sstream>

#include "arguments.h"
#include "commands.h"
#include "drovane.h"
#include "image_file.h"

namespace cli {
namespace {

// The effects this tool offers: those the engine computes itself.
constexpr std::array kEffects{
    "Adaptive Blur",  "Adjust HSL",    "Adjust HSV",       "Adjust Lab",         "Adjust RGBA",
    "Alpha Edge Color", "Anti Alias",  "Bas Relief",       "Basic Threshold",    "Borderize",
    "Box Blur",       "Channel",       "Clamp",            "Detail Blur",        "Fader",
    "Hyper Contrast", "Line Art Cleaner", "Mask Detail",   "Mask Generate HSL",  "Mask High Low",
    "Mirror",         "Noise Reduction", "Noise Reduction RGB", "Reflection",    "Smart Blur",
    "Value Blur",     "Vignette",
};

struct Settings {
    std::array<int32_t, 6> sliders{500, 500, 500, 500, 500, 500};
    std::array<uint8_t, 6> flags{};
    std::array<int32_t, 2> styles{};
    std::array<int32_t, 3> color{};
};

std::vector<std::string> numbered(const std::string& stem, int count) {
    std::vector<std::string> names;
    for (int i = 1; i <= count; ++i) names.push_back(stem + std::to_string(i));
    return names;
}

std::array<int32_t, 3> parseColor(const std::string& text) {
    std::array<int32_t, 3> rgb{};
    std::stringstream in(text);
    std::string part;
    for (int i = 0; i < 3; ++i) {
        if (!std::getline(in, part, ',')) throw UsageError("--color wants R,G,B");
        rgb[static_cast<size_t>(i)] = parseInteger("--color", part, 0, 255);
    }
    if (std::getline(in, part, ',')) throw UsageError("--color wants R,G,B");
    return rgb;
}

void listEffects() {
    for (const char* name : kEffects) std::printf("%s\n", name);
}

}  // namespace

int runFilter(const Words& words) {
    auto valueOptions = numbered("--slider", 6);
    for (const auto& s : numbered("--style", 2)) valueOptions.push_back(s);
    valueOptions.push_back("--color");
    valueOptions.push_back("--variant");
    auto flagOptions = numbered("--flag", 6);
    flagOptions.push_back("--list");
    const Arguments args(words, valueOptions, flagOptions);
    if (args.has("--list")) {
        listEffects();
        return 0;
    }
    if (args.positional().size() != 3) throw UsageError("give an effect name, an input and an output");
    const std::string& name = args.positional()[0];
    if (std::find(kEffects.begin(), kEffects.end(), name) == kEffects.end())
        throw UsageError("unknown effect '" + name + "' (drovane filter --list shows them)");

    Settings s;
    for (size_t i = 0; i < 6; ++i) {
        s.sliders[i] = args.integer("--slider" + std::to_string(i + 1), s.sliders[i], 0, 100000);
        s.flags[i] = args.has("--flag" + std::to_string(i + 1)) ? 1 : 0;
    }
    for (size_t i = 0; i < 2; ++i) s.styles[i] = args.integer("--style" + std::to_string(i + 1), 0, 0, 1000);
    if (args.has("--color")) s.color = parseColor(args.text("--color"));
    const int32_t variant = args.integer("--variant", 0, 0, 1000);

    const std::string& input = args.positional()[1];
    const std::string& output = args.positional()[2];
    const Image picture = readImage(input);
    const int32_t dpi = DRO_GetDPIFromFile(input.c_str());
    Canvas canvas(picture);
    DRO_IPLAllocSrcBuffer32();
    DRO_IPLAllocDstBuffer32();
    DRO_IPLImageProcess(0, name.c_str(), variant, s.sliders[0], s.sliders[1], s.sliders[2], s.sliders[3],
                        s.sliders[4], s.sliders[5], s.styles[0], s.styles[1], s.flags[0], s.flags[1], s.flags[2],
                        s.flags[3], s.flags[4], s.flags[5], s.color[0], s.color[1], s.color[2], "");
    DRO_IPLFreeSrcBuffer32();
    DRO_IPLFreeDstBuffer32();
    canvas.savePage(output, dpi);
    return 0;
}

}  // namespace cli
