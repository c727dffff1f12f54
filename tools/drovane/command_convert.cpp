#include <cstdio>

#include "arguments.h"
#include "commands.h"
#include "drovane.h"
#include "image_file.h"

namespace cli {
namespace {

std::string withExtension(const std::string& path, const std::string& extension, const std::string& directory) {
    const auto slash = path.find_last_of('/');
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = base.find_last_of('.');
    if (dot != std::string::npos && dot > 0) base.erase(dot);
    const std::string folder = !directory.empty() ? directory + "/"
                               : slash == std::string::npos ? std::string{}
                                                            : path.substr(0, slash + 1);
    return folder + base + extension;
}

}  // namespace

int runConvert(const Words& words) {
    const Arguments args(words, {"-o", "--format", "--outdir", "--dpi"}, {"--overwrite"});
    const auto& inputs = args.positional();
    if (inputs.empty()) throw UsageError("no input files given");
    if (args.has("-o") == args.has("--format")) throw UsageError("give either -o OUT or --format EXT");
    if (args.has("-o") && inputs.size() != 1) throw UsageError("-o takes one input; use --format for several");
    std::string format = args.text("--format");
    if (!format.empty() && format[0] != '.') format.insert(0, ".");

    int status = 0;
    for (size_t i = 0; i < inputs.size(); ++i) {
        const std::string& input = inputs[i];
        const std::string output =
            args.has("-o") ? args.text("-o") : withExtension(input, format, args.text("--outdir"));
        if (inputs.size() > 1)
            std::fprintf(stderr, "[%zu/%zu] %s -> %s\n", i + 1, inputs.size(), input.c_str(), output.c_str());
        try {
            if (!args.has("--overwrite") && sameFile(input, output))
                throw CommandError("'" + output + "' is the input; give --overwrite to replace it");
            const Image image = readImage(input);
            const int dpi = args.integer("--dpi", DRO_GetDPIFromFile(input.c_str()), 1, 100000);
            writeImage(image, output, dpi);
        } catch (const CommandError& e) {
            if (inputs.size() == 1) throw;
            std::fprintf(stderr, "drovane convert: %s\n", e.what());
            status = 1;
        }
    }
    return status;
}

}  // namespace cli
