// Renders a procedural image script (docs/procedural-scripts.md) into a picture file.
// A broken script is reported as SCRIPT:LINE: what, before anything is written.
#include <cstdint>
#include <string>

#include "arguments.h"
#include "commands.h"
#include "drovane.h"
#include "image_file.h"

namespace cli {
namespace {

// "line 4: unknown effect" from the engine becomes "SCRIPT:4: unknown effect".
[[noreturn]] void reportScriptFault(const std::string& script) {
    const std::string reason = DRO_GetLastError();
    const std::string prefix = "line ";
    if (reason.rfind(prefix, 0) == 0) {
        const size_t colon = reason.find(':');
        if (colon != std::string::npos)
            throw FileLineError(script + ":" + reason.substr(prefix.size(), colon - prefix.size()) + reason.substr(colon));
    }
    throw FileLineError(script + ": " + reason);
}

}  // namespace

int runScript(const Words& words) {
    const Arguments args(words, {"-o", "--dpi"}, {});
    if (args.positional().size() != 1 || !args.has("-o")) throw UsageError("expected SCRIPT -o OUT");
    const std::string& script = args.positional()[0];
    const std::string out = args.text("-o");
    const int dpi = args.integer("--dpi", 72, 1, 65535);
    int32_t width = 0, height = 0;
    if (!DRO_ProceduralScriptSize(script.c_str(), &width, &height)) reportScriptFault(script);
    Image image;
    image.width = width;
    image.height = height;
    image.rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    if (!DRO_RenderProceduralScript(script.c_str(), image.rgba.data(), width, height)) reportScriptFault(script);
    writeImage(image, out, dpi);
    return 0;
}

}  // namespace cli
