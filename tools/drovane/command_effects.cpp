// Lists the engine's effects, or prints the effects page.
#include <cstdio>

#include "arguments.h"
#include "commands.h"
#include "effect_catalogue.h"

namespace cli {

int runEffects(const Words& words) {
    const Arguments args(words, {}, {"--markdown", "--all"});
    if (!args.positional().empty()) throw UsageError("takes no file names");
    const auto effects = effectCatalogue();
    if (args.has("--markdown")) {
        std::fputs(effectCatalogueMarkdown(effects).c_str(), stdout);
        return 0;
    }
    for (const auto& e : effects) {
        if (e.built)
            std::printf("%s\t%s\t%s\n", e.name.c_str(), e.family.c_str(), e.summary.c_str());
        else if (args.has("--all"))
            std::printf("%s\t(not built)\n", e.name.c_str());
    }
    return 0;
}

}  // namespace cli
