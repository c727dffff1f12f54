// Stroke files: a small line-based text format that describes brush settings, layers
// and strokes (docs/strokes.md). Parsing checks everything up front, so a bad file
// fails with "FILE:LINE: message" before anything is painted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "arguments.h"
#include "image_file.h"

namespace cli {

// A fault in a stroke file, reported as "FILE:LINE: what".
using StrokeFileError = FileLineError;

// The arguments of DRO_SetTool that a stroke file names; the two paths come from the
// shape and grain commands.
struct ToolSetup {
    float shapeGain = 1.0f;
    int32_t grainCellSize = 0;
    int32_t grainCellThreshold = 0;
    int32_t grainFillThreshold = 0;
    int32_t edgeSoftness = 0;
    int32_t colorVary = 0;
    int32_t grainInterval = 0;
    int32_t blendStrength = 0;
    int32_t blendPrimaryColorStrength = 0;
    int32_t blendRemix = 0;
    int32_t invertShape = 0;
    int32_t shapeParam = 0;
};

enum class Op {
    Size,     // ints[0]
    Color,    // ints[0..2]
    Alpha,    // ints[0]
    Density,  // ints[0]
    Spacing,  // reals[0]
    Seed,     // ints[0]
    Tool,     // tool
    Mix,      // ints[0] mode, ints[1] amount
    Smudge,   // ints[0] share, ints[1] mix amount; empty ints = off
    Shape,    // text = path, empty = round
    Grain,    // text = path, empty = random
    ImageBrush,  // text = path, empty = off
    ImageAngle,  // ints[0] degrees
    Layer,    // ints[0] index; ints[1] opacity and text = mode when given
    Stroke,   // ints[0] opacity, ints[1] second opacity, text = mode
    Dab,      // reals: x, y [, pressure]
    Line,     // reals: x y pairs, or x y pressure triples (pressured)
    End,
};

struct Instruction {
    Op op{};
    int line = 0;
    std::vector<int32_t> ints;
    std::vector<double> reals;
    std::string text;
    bool pressured = false;
    ToolSetup tool;
};

struct StrokeScript {
    std::string name;  // as given, for messages
    std::vector<Instruction> instructions;
};

// The largest brush a stroke file may ask for: the canvas's maximum brush size.
inline constexpr int32_t kStrokeMaxBrushSize = kCanvasMaxBrushSize;

// Parses stroke-file text. name prefixes messages; relative shape and grain paths are
// taken from folder. Shape and grain images are opened to check them.
StrokeScript parseStrokeScript(const std::string& text, const std::string& name, const std::string& folder);
// Reads and parses a file; CommandError when it cannot be read.
StrokeScript loadStrokeScript(const std::string& path);

// Dab placement along a path. Points carry a pressure (0..1] that scales the drawn size.
struct PathPoint {
    double x = 0, y = 0, pressure = 1.0;
};
struct DabPlace {
    int32_t x = 0, y = 0;
    int32_t drawnSize = 1;
};

// The brush side drawn at a pressure: size × pressure rounded, at least 1, at most size.
int32_t drawnSizeAt(int32_t size, double pressure);

// Dabs along a polyline: one at the first point, then one every spacing × drawn size
// (at least one pixel) of path length, the remainder carried across corners so the
// spacing stays even.
std::vector<DabPlace> dabsAlong(const std::vector<PathPoint>& points, int32_t size, double spacing);

// The blend-mode names the engine knows, in its order.
bool isBlendModeName(const std::string& name);

}  // namespace cli
