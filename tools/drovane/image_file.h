// Image files and the canvas, as the command-line host sees them through the engine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cli {

struct Image {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgba;  // packed RGBA32, top row first
};

// ".png" for "a/b.PNG"; empty when the name has no extension.
std::string extensionOf(const std::string& path);
// Whether two paths name one existing file (links and "./" spellings included).
bool sameFile(const std::string& a, const std::string& b);
// Whether the engine writes this extension with alpha.
bool writesAlpha(const std::string& extension);

// The engine's word on the last file read or write: why it failed, or what a read that
// succeeded could not recover.
std::string fileMessage();
// Prints that word as a warning after a file operation that succeeded, if there is one.
void warnAboutFile(const std::string& path);

// Decodes a file; CommandError when the engine cannot read it.
Image readImage(const std::string& path);
// Encodes by the path's extension; CommandError on failure.
void writeImage(const Image& image, const std::string& path, int32_t dpi);

// The largest brush the canvases of this tool take.
inline constexpr int32_t kCanvasMaxBrushSize = 256;

// One open canvas: created on construction with the picture in layer 1 (or white),
// deleted on destruction.
class Canvas {
public:
    Canvas(int32_t width, int32_t height);
    explicit Canvas(const Image& picture);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    // Writes the flattened visible layers by the path's extension; CommandError on failure.
    void savePage(const std::string& path, int32_t dpi) const;
    // The flattened visible layers as RGBA32.
    Image flatten() const;

private:
    int32_t width_;
    int32_t height_;
};

}  // namespace cli
