#include "paint_canvas.h"

#include <vector>

#include "drovane.h"

namespace cli {
namespace {

// Each side up to 16384 and at most 2^26 pixels: a canvas keeps 8 bytes per pixel per
// layer, and a stroke file may add layers.
constexpr int kMaxSide = 16384;
constexpr int64_t kMaxPixels = int64_t{1} << 26;

}  // namespace

PaintCanvas newPaintCanvas(const Arguments& args) {
    int32_t width = kDefaultCanvasWidth, height = kDefaultCanvasHeight;
    if (args.has(kCanvasSizeOption)) {
        const auto size = parseIntegers(kCanvasSizeOption, args.text(kCanvasSizeOption), 'x', 2, 1, kMaxSide, "WxH");
        width = size[0];
        height = size[1];
        if (int64_t{width} * height > kMaxPixels)
            throw UsageError(std::string(kCanvasSizeOption) + " must hold at most 67108864 pixels");
    }
    std::vector<int> rgb{255, 255, 255};
    if (args.has(kBackgroundOption))
        rgb = parseIntegers(kBackgroundOption, args.text(kBackgroundOption), ',', 3, 0, 255, "R,G,B");

    PaintCanvas out;
    out.canvas = std::make_unique<Canvas>(width, height);
    std::vector<uint8_t> fill(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < fill.size(); i += 4) {
        fill[i] = static_cast<uint8_t>(rgb[0]);
        fill[i + 1] = static_cast<uint8_t>(rgb[1]);
        fill[i + 2] = static_cast<uint8_t>(rgb[2]);
        fill[i + 3] = 255;
    }
    DRO_LoadRGBA32Layer(fill.data(), width * 4, 1, 0, 0, width, height, 0);
    return out;
}

PaintCanvas pictureCanvas(const Arguments& args, const std::string& path) {
    if (args.has(kCanvasSizeOption) || args.has(kBackgroundOption))
        throw UsageError("--size and --background are for a new canvas, not for an input picture");
    const Image picture = readImage(path);
    PaintCanvas out;
    out.dpi = DRO_GetDPIFromFile(path.c_str());
    out.canvas = std::make_unique<Canvas>(picture);
    return out;
}

}  // namespace cli
