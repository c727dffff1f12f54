// Runs one image effect on a picture, the way a host's effect dialog does: the picture
// becomes the current layer, the working buffers are allocated, the effect runs through
// the one effect entry, and the page is saved.
#include <cstdio>

#include "arguments.h"
#include "commands.h"
#include "drovane.h"
#include "effect_catalogue.h"
#include "effect_settings.h"
#include "image_file.h"

namespace cli {
namespace {

// The effect's own defaults for the sliders, styles and variant it names.
EffectSettings defaultsOf(const EffectEntry& effect) {
    EffectSettings s;
    for (size_t i = 0; i < s.sliders.size(); ++i)
        if (const EffectControl* c = effect.control("slider" + std::to_string(i + 1))) s.sliders[i] = c->defaultValue;
    for (size_t i = 0; i < s.styles.size(); ++i)
        if (const EffectControl* c = effect.control("style" + std::to_string(i + 1))) s.styles[i] = c->defaultValue;
    if (const EffectControl* c = effect.control("variant")) s.variant = c->defaultValue;
    return s;
}

}  // namespace

int runFilter(const Words& words) {
    auto flagOptions = effectFlagOptions();
    flagOptions.push_back("--list");
    auto valueOptions = effectValueOptions();
    valueOptions.push_back("--path");
    const Arguments args(words, valueOptions, flagOptions);
    if (args.has("--list")) {
        for (const auto& e : effectCatalogue())
            if (e.built) std::printf("%s\n", e.name.c_str());
        return 0;
    }
    if (args.positional().size() != 3) throw UsageError("give an effect name, an input and an output");
    const std::string& name = args.positional()[0];
    const std::optional<EffectEntry> effect = findEffect(name);
    if (!effect) throw UsageError("unknown effect '" + name + "' (drovane effects lists them)");
    if (!effect->built) throw CommandError("the engine does not run '" + name + "' yet (not built)");
    const EffectSettings s = readEffectSettings(args, defaultsOf(*effect));
    const std::string path = args.text("--path");

    const std::string& input = args.positional()[1];
    const std::string& output = args.positional()[2];
    const Image picture = readImage(input);
    const int32_t dpi = DRO_GetDPIFromFile(input.c_str());
    Canvas canvas(picture);
    DRO_IPLAllocSrcBuffer32();
    DRO_IPLAllocDstBuffer32();
    // An effect that cannot do its job says so as "NAME: why" (a missing or broken
    // script); nothing is written then.
    DRO_SetLastError("");
    DRO_IPLImageProcess(0, name.c_str(), s.variant, s.sliders[0], s.sliders[1], s.sliders[2], s.sliders[3],
                        s.sliders[4], s.sliders[5], s.styles[0], s.styles[1], s.flags[0], s.flags[1], s.flags[2],
                        s.flags[3], s.flags[4], s.flags[5], s.color[0], s.color[1], s.color[2], path.c_str());
    DRO_IPLFreeSrcBuffer32();
    DRO_IPLFreeDstBuffer32();
    const std::string said = DRO_GetLastError();
    if (said.rfind(name + ": ", 0) == 0) throw CommandError(said);
    canvas.savePage(output, dpi);
    return 0;
}

}  // namespace cli
