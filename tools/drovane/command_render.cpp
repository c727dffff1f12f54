// Shows a picture (or a stroke file's result) as the engine's display render does, at
// a zoom, and writes what it shows.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "arguments.h"
#include "commands.h"
#include "drovane.h"
#include "paint_canvas.h"
#include "stroke_replay.h"
#include "stroke_script.h"

namespace cli {
namespace {

constexpr int32_t kMaxZoomIn = 32;
constexpr double kMinZoomOut = 1.0 / 64;
constexpr int64_t kMaxOutputPixels = int64_t{1} << 28;

// The display's sampling: zoom in by an integer factor, or out by a canvas-pixel step.
struct Sampling {
    int32_t zoom = 1;
    float scale = 1.0f;
};

Sampling parseZoom(const std::string& text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value))
        throw UsageError("--zoom wants a number, not '" + text + "'");
    if (value >= 1.0) {
        if (value != std::floor(value) || value > kMaxZoomIn)
            throw UsageError("--zoom above 1 must be a whole number up to 32");
        return {static_cast<int32_t>(value), 1.0f};
    }
    if (value < kMinZoomOut) throw UsageError("--zoom must be at least 1/64");
    return {1, static_cast<float>(1.0 / value)};
}

// The output area the render fills for the canvas rectangle x, y, w, h: one pixel per
// canvas pixel, zoom copies of each, or one per scale step (summed in single
// precision, as the render walks it).
void outputArea(const Sampling& s, int32_t x, int32_t y, int32_t w, int32_t h, int64_t& cols, int64_t& rows) {
    if (s.scale == static_cast<float>(s.zoom)) {
        cols = w;
        rows = h;
    } else if (s.scale < static_cast<float>(s.zoom)) {
        cols = int64_t{s.zoom} * w;
        rows = int64_t{s.zoom} * h;
    } else {
        cols = static_cast<int64_t>(static_cast<float>(x) + static_cast<float>(w) / s.scale - 1.0f) - x + 1;
        rows = static_cast<int64_t>(static_cast<float>(y) + static_cast<float>(h) / s.scale - 1.0f) - y + 1;
    }
}

PaintCanvas openForRender(const Arguments& args, const std::string& input, bool checkerboard) {
    if (extensionOf(input) == ".strokes") {
        const StrokeScript script = loadStrokeScript(input);
        PaintCanvas target = newPaintCanvas(args);
        replayStrokes(script, *target.canvas);
        // Hiding the background lets transparent paint show over the checkerboard.
        if (checkerboard) DRO_SetLayerOptions(1, 0, 0, 100, "Normal");
        return target;
    }
    if (!checkerboard) return pictureCanvas(args, input);
    // The picture goes above a hidden background, so its transparency shows.
    if (args.has(kCanvasSizeOption) || args.has(kBackgroundOption))
        throw UsageError("--size and --background are for a stroke file, not for an input picture");
    const Image picture = readImage(input);
    PaintCanvas target;
    target.dpi = DRO_GetDPIFromFile(input.c_str());
    target.canvas = std::make_unique<Canvas>(picture.width, picture.height);
    if (!DRO_CreateLayer(2, picture.width, picture.height)) throw CommandError("cannot create the picture layer");
    DRO_SetLayerOptions(2, 1, 0, 100, "Normal");
    DRO_LoadRGBA32Layer(picture.rgba.data(), picture.width * 4, 2, 0, 0, picture.width, picture.height, 0);
    DRO_SetLayerOptions(1, 0, 0, 100, "Normal");
    DRO_SetLayer(2);
    return target;
}

}  // namespace

int runRender(const Words& words) {
    const Arguments args(words, {"-o", "--zoom", "--offset", "--view", kCanvasSizeOption, kBackgroundOption},
                         {"--checkerboard"});
    if (args.positional().size() != 1) throw UsageError("give one input picture or stroke file");
    if (!args.has("-o")) throw UsageError("-o OUT names the output");
    const std::string& input = args.positional()[0];
    const std::string output = args.text("-o");
    if (extensionOf(output).empty()) throw UsageError("the output '" + output + "' needs an extension");
    const Sampling sampling = parseZoom(args.text("--zoom", "1"));
    std::vector<int> offset{0, 0};
    if (args.has("--offset")) offset = parseIntegers("--offset", args.text("--offset"), ',', 2, 0, 1 << 30, "X,Y");
    std::vector<int> view;
    if (args.has("--view")) view = parseIntegers("--view", args.text("--view"), 'x', 2, 1, 1 << 20, "WxH");

    const PaintCanvas target = openForRender(args, input, args.has("--checkerboard"));
    const Canvas& canvas = *target.canvas;
    const int32_t x = offset[0], y = offset[1];
    if (x >= canvas.width() || y >= canvas.height())
        throw UsageError("--offset must lie inside the " + std::to_string(canvas.width()) + " x " +
                         std::to_string(canvas.height()) + " canvas");
    const int32_t w = canvas.width() - x, h = canvas.height() - y;
    int64_t cols = 0, rows = 0;
    outputArea(sampling, x, y, w, h, cols, rows);
    if (!view.empty()) {
        cols = std::min<int64_t>(cols, view[0]);
        rows = std::min<int64_t>(rows, view[1]);
    }
    if (cols <= 0 || rows <= 0) throw UsageError("the view shows nothing at this zoom");
    if (cols * rows > kMaxOutputPixels) throw UsageError("the view would exceed 268435456 pixels; give --view");

    // The view size bounds what the render writes, so the bitmap below always holds it.
    DRO_SetViewSize(static_cast<int32_t>(cols), static_cast<int32_t>(rows));
    DRO_SetScale(sampling.zoom, sampling.scale);
    DRO_SetOffset(x, y);
    const int32_t stride = static_cast<int32_t>(cols * 3);
    std::vector<uint8_t> bgr(static_cast<size_t>(cols) * rows * 3);
    DRO_Render(bgr.data(), stride, x, y, w, h);

    Image shown{static_cast<int32_t>(cols), static_cast<int32_t>(rows),
                std::vector<uint8_t>(static_cast<size_t>(cols) * rows * 4)};
    for (size_t i = 0, o = 0; i < bgr.size(); i += 3, o += 4) {
        shown.rgba[o] = bgr[i + 2];
        shown.rgba[o + 1] = bgr[i + 1];
        shown.rgba[o + 2] = bgr[i];
        shown.rgba[o + 3] = 255;
    }
    writeImage(shown, output, target.dpi);
    std::fprintf(stderr, "drovane render: wrote %s (%lld x %lld)\n", output.c_str(), static_cast<long long>(cols),
                 static_cast<long long>(rows));
    return 0;
}

}  // namespace cli
