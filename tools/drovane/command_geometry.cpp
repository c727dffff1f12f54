// resize, crop, rotate, flip and text: one picture in, the command run on its canvas
// the way a host runs it, the result out.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "arguments.h"
#include "commands.h"
#include "drovane.h"
#include "image_file.h"

namespace cli {
namespace {

constexpr int kMaxEdge = 10000;

struct Size {
    int32_t width;
    int32_t height;
};

// Reads IN, runs the command on its canvas (it returns the size the layers now have),
// takes that size as a host does with DRO_NewSize, and writes OUT from the one layer.
int runOnPicture(const Arguments& args, const std::function<Size(Size)>& command) {
    if (args.positional().size() != 2) throw UsageError("give an input and an output");
    const std::string& input = args.positional()[0];
    const std::string& output = args.positional()[1];
    const Image picture = readImage(input);
    const int32_t dpi = DRO_GetDPIFromFile(input.c_str());
    Image result;
    {
        Canvas canvas(picture);
        DRO_SetLastError("");
        const Size size = command({canvas.width(), canvas.height()});
        const std::string failure = DRO_GetLastError();
        if (!failure.empty()) throw CommandError("the engine reported \"" + failure + "\"");
        result.width = size.width;
        result.height = size.height;
        DRO_NewSize(nullptr, result.width, result.height, kCanvasMaxBrushSize, 0);
        result.rgba.resize(static_cast<size_t>(result.width) * result.height * 4);
        DRO_GetRGBA32Layer(result.rgba.data(), result.width * 4, 1);
    }
    writeImage(result, output, dpi);
    return 0;
}

}  // namespace

int runResize(const Words& words) {
    const Arguments args(words, {"--size", "--filter"}, {});
    if (!args.has("--size")) throw UsageError("give --size WxH");
    const auto size = parseIntegers("--size", args.text("--size"), 'x', 2, 1, kMaxEdge, "WxH");
    const std::string filter = args.text("--filter", "Lanczos3");
    return runOnPicture(args, [&](Size) {
        DRO_IPLResize(size[0], size[1], filter.c_str());
        return Size{size[0], size[1]};
    });
}

int runCrop(const Words& words) {
    const Arguments args(words, {"--rect"}, {});
    if (!args.has("--rect")) throw UsageError("give --rect LEFT,TOP,RIGHT,BOTTOM");
    const auto r = parseIntegers("--rect", args.text("--rect"), ',', 4, 0, kMaxEdge, "LEFT,TOP,RIGHT,BOTTOM");
    return runOnPicture(args, [&](Size old) {
        // The engine clips the rectangle to the picture; so does the size written.
        const int32_t width = std::min(std::max(r[0], r[2]), old.width) - std::min(std::min(r[0], r[2]), old.width);
        const int32_t height = std::min(std::max(r[1], r[3]), old.height) - std::min(std::min(r[1], r[3]), old.height);
        if (width <= 0 || height <= 0) throw UsageError("the rectangle lies outside the picture");
        DRO_IPLCrop(r[0], r[1], r[2], r[3]);
        return Size{width, height};
    });
}

int runRotate(const Words& words) {
    const Arguments args(words, {}, {"--left", "--right"});
    if (args.has("--left") == args.has("--right")) throw UsageError("give one of --left and --right");
    return runOnPicture(args, [&](Size old) {
        args.has("--left") ? DRO_IPLRotateLeft() : DRO_IPLRotateRight();
        return Size{old.height, old.width};
    });
}

int runFlip(const Words& words) {
    const Arguments args(words, {}, {"--horizontal", "--vertical"});
    if (args.has("--horizontal") == args.has("--vertical")) throw UsageError("give one of --horizontal and --vertical");
    return runOnPicture(args, [&](Size old) {
        args.has("--horizontal") ? DRO_IPLFlipHorizontal() : DRO_IPLFlipVertical();
        return old;
    });
}

int runText(const Words& words) {
    const Arguments args(words, {"--text", "--at", "--font", "--size", "--color"}, {"--smooth"});
    if (!args.has("--text")) throw UsageError("give --text TEXT");
    const auto at = parseIntegers("--at", args.text("--at", "0,0"), ',', 2, -kMaxEdge, kMaxEdge, "X,Y");
    const auto colour = parseIntegers("--color", args.text("--color", "0,0,0"), ',', 3, 0, 255, "R,G,B");
    const int size = args.integer("--size", 32, 1, 2000);
    const std::string font = args.text("--font", "Sans");
    const std::string text = args.text("--text");
    return runOnPicture(args, [&](Size old) {
        DRO_SetFontFace(font.c_str(), size, 400, 0);
        if (!DRO_ChooseFont()) throw CommandError("no font found for '" + font + "'");
        DRO_IPLAllocSrcBuffer32();
        DRO_IPLText(colour[0], colour[1], colour[2], at[0], at[1], 0, 0, 0, 0, text.c_str(), args.has("--smooth"));
        DRO_IPLFreeSrcBuffer32();
        return old;
    });
}

}  // namespace cli
