#include <cstdio>

#include "arguments.h"
#include "commands.h"
#include "drovane.h"
#include "image_file.h"

namespace cli {

int runInfo(const Words& words) {
    const Arguments args(words, {}, {});
    if (args.positional().empty()) throw UsageError("no files given");
    int status = 0;
    for (const std::string& path : args.positional()) {
        if (!DRO_ReadFromFile(path.c_str())) {
            std::fprintf(stderr, "drovane info: cannot read '%s': %s\n", path.c_str(), fileMessage().c_str());
            status = 1;
            continue;
        }
        warnAboutFile(path);
        std::printf("%s: %d x %d, %d dpi, %s\n", path.c_str(), DRO_GetNewRGBAWidth(), DRO_GetNewRGBAHeight(),
                    DRO_GetDPIFromFile(path.c_str()), DRO_IsNewRGBA32Transparent() ? "transparent" : "opaque");
        DRO_DeleteNewRGBA();
    }
    return status;
}

}  // namespace cli
