// Clipboard images made into brush files: a picture fitted to a square, and a grey
// brush shape whose level is the clip's coverage.
#include <algorithm>

#include "io/image_brush_master.h"
#include "io/clipboard.h"
#include "io/image_files.h"

namespace dro::io {
namespace {

constexpr int32_t kBrushFileDpi = 300;

bool everyPixelOpaque(const Clip& clip) noexcept {
    for (size_t i = 3; i < clip.pixels.size(); i += 4)
        if (clip.pixels[i] != 255) return false;
    return true;
}

// An opaque clip has no coverage of its own: dark becomes opaque.
void alphaFromDarkness(Clip& clip) noexcept {
    for (size_t i = 0; i < clip.pixels.size(); i += 4) {
        const uint8_t* p = &clip.pixels[i];
        clip.pixels[i + 3] = static_cast<uint8_t>(255 - (p[0] + p[1] + p[2]) / 3);
    }
}

void greyFromAlpha(Clip& clip) noexcept {
    for (size_t i = 0; i < clip.pixels.size(); i += 4) {
        const uint8_t a = clip.pixels[i + 3];
        clip.pixels[i] = clip.pixels[i + 1] = clip.pixels[i + 2] = a;
        clip.pixels[i + 3] = 255;
    }
}

void writePng(const Clip& square, const char* path, int32_t side) {
    writeToFileRgba32(square.pixels.data(), side, side, path, ".png", kBrushFileDpi);
}

}  // namespace

void fromClipboardToImageBrush(int32_t side) {
    if (side < 1 || !readClipboardIntoImport()) return;
    const auto square = fitIntoSquare(takeImportedClip(), side);
    if (square) loadImageBrushFromRGBA32(square->pixels.data(), side, side);
}

void fromClipboardToImageBrushFile(const char* path, int32_t side) {
    if (side < 1 || !readClipboardIntoImport()) return;
    const auto square = fitIntoSquare(takeImportedClip(), side);
    if (square) writePng(*square, path, side);
}

void fromClipboardToShapeFile(const char* path, int32_t side, int32_t angle) {
    if (side < 1 || !readClipboardIntoImport()) return;
    Clip clip = takeImportedClip();
    if (auto scaled = scaleClip(clip, side, Filtering::smooth)) clip = std::move(*scaled);
    if (angleTurns(angle))
        if (auto turned = rotateClip(clip, angleRadians(angle), Filtering::smooth)) clip = std::move(*turned);
    if (everyPixelOpaque(clip)) alphaFromDarkness(clip);
    auto square = fitIntoSquare(clip, side);
    if (!square) return;
    greyFromAlpha(*square);
    writePng(*square, path, side);
}

}  // namespace dro::io
