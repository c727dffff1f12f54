// Runs a Lua filter script on a picture: the picture becomes the current layer, the
// working buffers are allocated, the script runs, and the page is saved. Script errors
// arrive through the engine's message callback; any of them fails the command.
#include <cstdio>
#include <string>

#include "arguments.h"
#include "commands.h"
#include "drovane.h"
#include "effect_settings.h"
#include "image_file.h"

namespace cli {
namespace {

struct Messages {
    int count = 0;
    std::string first;
};

void DRO_CALL collectMessage(const char* text, const char* caption, void* user) {
    auto* messages = static_cast<Messages*>(user);
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "message", text ? text : "");
    if (messages->count++ == 0) messages->first = text ? text : "";
}

}  // namespace

int runLua(const Words& words) {
    const Arguments args(words, effectValueOptions(), effectFlagOptions());
    if (args.positional().size() != 3) throw UsageError("give a script, an input and an output");
    const std::string& script = args.positional()[0];
    const std::string& input = args.positional()[1];
    const std::string& output = args.positional()[2];
    if (std::FILE* f = std::fopen(script.c_str(), "rb")) std::fclose(f);
    else throw CommandError("cannot open script '" + script + "'");
    const EffectSettings s = readEffectSettings(args);

    const Image picture = readImage(input);
    const int32_t dpi = DRO_GetDPIFromFile(input.c_str());
    Canvas canvas(picture);
    Messages messages;
    DRO_SetMessageCallback(collectMessage, &messages);
    DRO_IPLAllocSrcBuffer32();
    DRO_IPLAllocDstBuffer32();
    DRO_LuaFilterRun(script.c_str(), s.variant, s.sliders[0], s.sliders[1], s.sliders[2], s.sliders[3],
                     s.sliders[4], s.sliders[5], s.styles[0], s.styles[1], s.flags[0], s.flags[1], s.flags[2],
                     s.flags[3], s.flags[4], s.flags[5]);
    DRO_IPLFreeSrcBuffer32();
    DRO_IPLFreeDstBuffer32();
    DRO_SetMessageCallback(nullptr, nullptr);
    if (messages.count > 0) throw CommandError("the script failed: " + messages.first);
    canvas.savePage(output, dpi);
    return 0;
}

}  // namespace cli
