// The canvas that paint and render work on: a picture from a file, or a new canvas of
// --size filled with --background.
#pragma once

#include <memory>
#include <string>

#include "arguments.h"
#include "image_file.h"

namespace cli {

// Options for a new canvas, and their defaults.
inline constexpr const char* kCanvasSizeOption = "--size";
inline constexpr const char* kBackgroundOption = "--background";
inline constexpr int32_t kDefaultCanvasWidth = 640;
inline constexpr int32_t kDefaultCanvasHeight = 400;

struct PaintCanvas {
    std::unique_ptr<Canvas> canvas;
    int32_t dpi = 96;
};

// A new canvas from --size WxH (default 640x400) and --background R,G,B (default white).
PaintCanvas newPaintCanvas(const Arguments& args);
// The picture at path in layer 1; --size and --background are refused, the picture
// sets both.
PaintCanvas pictureCanvas(const Arguments& args, const std::string& path);

}  // namespace cli
