// Replays a parsed stroke file onto the open canvas through the engine's brush calls,
// the way a host's stroke loop does.
#pragma once

#include <cstdint>

#include "image_file.h"
#include "stroke_script.h"

namespace cli {

struct ReplaySummary {
    int32_t strokes = 0;
    int64_t dabs = 0;
    int32_t layers = 1;  // layers in use, the background included
};

// Paints every stroke of the script into the canvas; each stroke goes through the
// paint layer and is merged into the current layer at its end. Leaves the last layer
// the script chose current and no paint layer behind.
ReplaySummary replayStrokes(const StrokeScript& script, const Canvas& canvas);

}  // namespace cli
