// Replays a stroke file onto a picture or a new canvas and saves the page.
#include <cstdio>

#include "arguments.h"
#include "commands.h"
#include "paint_canvas.h"
#include "stroke_replay.h"
#include "stroke_script.h"

namespace cli {

int runPaint(const Words& words) {
    const Arguments args(words, {"-o", kCanvasSizeOption, kBackgroundOption}, {});
    const auto& inputs = args.positional();
    if (inputs.empty() || inputs.size() > 2) throw UsageError("give a stroke file and at most one input picture");
    if (!args.has("-o")) throw UsageError("-o OUT names the output");
    const std::string output = args.text("-o");
    if (extensionOf(output).empty()) throw UsageError("the output '" + output + "' needs an extension");

    // The whole file is checked before anything is painted.
    const StrokeScript script = loadStrokeScript(inputs[0]);
    const PaintCanvas target = inputs.size() == 2 ? pictureCanvas(args, inputs[1]) : newPaintCanvas(args);
    const ReplaySummary summary = replayStrokes(script, *target.canvas);
    target.canvas->savePage(output, target.dpi);
    std::fprintf(stderr, "drovane paint: wrote %s (%d x %d, %d strokes, %lld dabs, %d layers)\n", output.c_str(),
                 target.canvas->width(), target.canvas->height(), summary.strokes,
                 static_cast<long long>(summary.dabs), summary.layers);
    return 0;
}

}  // namespace cli
