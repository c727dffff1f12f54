// Runs one image effect on a picture, the way a host's effect dialog does: the picture
// becomes the current layer, the working buffers are allocated, the effect runs through
// the one effect entry, and the page is saved.
#include <algorithm>
#include <array>
#include <cstdio>

#include "arguments.h"
#include "commands.h"
#include "drovane.h"
#include "effect_settings.h"
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

void listEffects() {
    for (const char* name : kEffects) std::printf("%s\n", name);
}

}  // namespace

int runFilter(const Words& words) {
    auto flagOptions = effectFlagOptions();
    flagOptions.push_back("--list");
    const Arguments args(words, effectValueOptions(), flagOptions);
    if (args.has("--list")) {
        listEffects();
        return 0;
    }
    if (args.positional().size() != 3) throw UsageError("give an effect name, an input and an output");
    const std::string& name = args.positional()[0];
    if (std::find(kEffects.begin(), kEffects.end(), name) == kEffects.end())
        throw UsageError("unknown effect '" + name + "' (drovane filter --list shows them)");
    const EffectSettings s = readEffectSettings(args);

    const std::string& input = args.positional()[1];
    const std::string& output = args.positional()[2];
    const Image picture = readImage(input);
    const int32_t dpi = DRO_GetDPIFromFile(input.c_str());
    Canvas canvas(picture);
    DRO_IPLAllocSrcBuffer32();
    DRO_IPLAllocDstBuffer32();
    DRO_IPLImageProcess(0, name.c_str(), s.variant, s.sliders[0], s.sliders[1], s.sliders[2], s.sliders[3],
                        s.sliders[4], s.sliders[5], s.styles[0], s.styles[1], s.flags[0], s.flags[1], s.flags[2],
                        s.flags[3], s.flags[4], s.flags[5], s.color[0], s.color[1], s.color[2], "");
    DRO_IPLFreeSrcBuffer32();
    DRO_IPLFreeDstBuffer32();
    canvas.savePage(output, dpi);
    return 0;
}

}  // namespace cli
