// The one-click tools from the command line: the paint bucket, the magic wand (its
// selection written as a grey picture, white where selected) and the colour gradient.
#include <algorithm>
#include <string>
#include <vector>

#include "arguments.h"
#include "commands.h"
#include "drovane.h"
#include "image_file.h"

namespace cli {
namespace {

constexpr int32_t kToleranceScale = 500;  // percent to the engine's 0..50000

constexpr int kFarOff = 1000000;

std::vector<int> point(const Arguments& args, const std::string& option) {
    if (!args.has(option)) throw UsageError(option + " is required");
    return parseIntegers(option, args.text(option), ',', 2, -kFarOff, kFarOff, "X,Y");
}

// A clicked point: on the picture, or the tool would do nothing.
std::vector<int> pixel(const Arguments& args, const std::string& option, const Image& picture) {
    std::vector<int> at = point(args, option);
    if (at[0] < 0 || at[1] < 0 || at[0] >= picture.width || at[1] >= picture.height) {
        throw UsageError(option + " " + args.text(option) + " lies outside the " + std::to_string(picture.width) +
                         " x " + std::to_string(picture.height) + " picture");
    }
    return at;
}

int tolerance(const Arguments& args) { return args.integer("--tolerance", 0, 0, 100) * kToleranceScale; }

struct InOut {
    Image picture;
    std::string output;
};

InOut inputAndOutput(const Arguments& args) {
    if (args.positional().size() != 2) throw UsageError("give an input and an output");
    return {readImage(args.positional()[0]), args.positional()[1]};
}

}  // namespace

int runFill(const Words& words) {
    const Arguments args(words, {"--at", "--color", "--tolerance", "--mode"}, {});
    const InOut io = inputAndOutput(args);
    const std::vector<int> at = pixel(args, "--at", io.picture);
    const std::vector<int> color =
        parseIntegers("--color", args.text("--color", "0,0,0"), ',', 3, 0, 255, "R,G,B");
    const std::string mode = args.text("--mode", "Paint Connected");
    Canvas canvas(io.picture);
    DRO_IPLFloodFill(color[0], color[1], color[2], at[0], at[1], tolerance(args), mode.c_str());
    canvas.savePage(io.output, DRO_GetDPIFromFile(args.positional()[0].c_str()));
    return 0;
}

int runWand(const Words& words) {
    const Arguments args(words, {"--at", "--tolerance", "--mode", "--strength"}, {});
    const InOut io = inputAndOutput(args);
    const std::vector<int> at = pixel(args, "--at", io.picture);
    const std::string mode = args.text("--mode", "Connected");
    Canvas canvas(io.picture);
    DRO_ClearMask(0, 0, 0);
    DRO_IPLMaskWand(at[0], at[1], tolerance(args), args.integer("--strength", 100, 0, 100), mode.c_str());
    std::vector<uint8_t> grey(static_cast<size_t>(canvas.width()) * canvas.height() * 3);
    DRO_SaveMask(grey.data(), canvas.width() * 3);
    Image mask{canvas.width(), canvas.height(), {}};
    mask.rgba.reserve(grey.size() / 3 * 4);
    for (size_t i = 0; i < grey.size(); i += 3) mask.rgba.insert(mask.rgba.end(), {grey[i], grey[i + 1], grey[i + 2], 255});
    writeImage(mask, io.output, DRO_GetDPIFromFile(args.positional()[0].c_str()));
    return 0;
}

int runGradient(const Words& words) {
    const Arguments args(words, {"--from", "--to", "--colors"}, {"--radial"});
    const InOut io = inputAndOutput(args);
    const std::vector<int> from = point(args, "--from");
    const std::vector<int> to = point(args, "--to");
    if (!args.has("--colors")) throw UsageError("--colors is required");
    // Up to four colours, R,G,B each, joined by '/'.
    std::vector<int> rgb(12, 0);
    const std::string list = args.text("--colors");
    int count = 0;
    for (size_t start = 0; start <= list.size(); ++count) {
        if (count == 4) throw UsageError("--colors takes at most four colours");
        const size_t end = list.find('/', start);
        const auto c = parseIntegers("--colors", list.substr(start, end - start), ',', 3, 0, 255, "R,G,B[/R,G,B...]");
        std::copy(c.begin(), c.end(), rgb.begin() + count * 3);
        if (end == std::string::npos) {
            ++count;
            break;
        }
        start = end + 1;
    }
    Canvas canvas(io.picture);
    DRO_IPLGradient(rgb[0], rgb[1], rgb[2], rgb[3], rgb[4], rgb[5], rgb[6], rgb[7], rgb[8], rgb[9], rgb[10], rgb[11],
                    count, from[0], from[1], to[0], to[1], args.has("--radial") ? "Radial" : "Linear");
    canvas.savePage(io.output, DRO_GetDPIFromFile(args.positional()[0].c_str()));
    return 0;
}

}  // namespace cli
