#include "io/gif_animation.h"

#include <gif_lib.h>

#include <memory>
#include <vector>

#include "core/canvas.h"
#include "core/last_error.h"
#include "imaging/lib/codecs/quantize.h"
#include "io/output_file.h"

namespace dro::io {
namespace {

constexpr int kPaletteEntries = 256;
constexpr int32_t kPlayForever = 0;
constexpr int32_t kMaxPlays = 0x10000;  // the loop extension counts repeats in 16 bits

struct GifOptions {
    int32_t quality = 100;
    int32_t plays = kPlayForever;
};

struct GifWriter {
    std::unique_ptr<OutputFile> file;
    GifFileType* gif = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t frameDelay = 0;  // hundredths of a second
    GifOptions options;
    bool failed = false;

    ~GifWriter() {
        if (gif) EGifCloseFile(gif, nullptr);
    }
};

std::unique_ptr<GifWriter> gGif;
GifOptions gChosenGifOptions;

int writeToFile(GifFileType* gif, const GifByteType* bytes, int length) {
    return static_cast<int>(std::fwrite(bytes, 1, static_cast<size_t>(length), static_cast<std::FILE*>(gif->UserData)));
}

struct ColorMap {
    ColorMapObject* map = nullptr;
    explicit ColorMap(const GifColorType* colours) : map(GifMakeMapObject(kPaletteEntries, colours)) {}
    ~ColorMap() { GifFreeMapObject(map); }
};

// The Netscape extension that makes viewers repeat the animation: 0 repeats forever,
// n plays n + 1 times. An animation played once goes without it.
bool putLoop(GifFileType* gif, int32_t plays) {
    if (plays == 1) return true;
    const int32_t repeats = plays == kPlayForever ? 0 : plays - 1;
    const GifByteType app[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    const GifByteType loop[] = {1, static_cast<GifByteType>(repeats & 0xFF), static_cast<GifByteType>(repeats >> 8)};
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(gif, sizeof app, app) == GIF_OK &&
           EGifPutExtensionBlock(gif, sizeof loop, loop) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;
}

bool putFrame(GifWriter& w, const uint8_t* rgb24) {
    const size_t pixels = static_cast<size_t>(w.width) * w.height;
    std::vector<uint8_t> indices(pixels);
    uint8_t paletteRgb[kPaletteEntries * 3];
    int32_t used = 0;
    if (!codecs::quantizeRgbTo8Bit(rgb24, w.width, w.height, w.width * 3, indices.data(), w.width, kPaletteEntries,
                                   paletteRgb, used, w.options.quality))
        return false;
    GifColorType colours[kPaletteEntries];
    for (int i = 0; i < kPaletteEntries; ++i)
        colours[i] = {paletteRgb[i * 3], paletteRgb[i * 3 + 1], paletteRgb[i * 3 + 2]};
    ColorMap local(colours);
    if (!local.map) return false;

    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.DelayTime = w.frameDelay;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(w.gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) != GIF_OK ||
        EGifPutImageDesc(w.gif, 0, 0, w.width, w.height, false, local.map) != GIF_OK)
        return false;
    for (int32_t y = 0; y < w.height; ++y)
        if (EGifPutLine(w.gif, indices.data() + static_cast<size_t>(y) * w.width, w.width) != GIF_OK) return false;
    return true;
}

}  // namespace

int32_t createGif(const char* path, int32_t frameMs, const uint8_t* palette) {
    if (gGif) closeGif();
    const int32_t delay = frameMs / 10;
    const Canvas& c = canvas();
    if (!path || !*path || c.width <= 0 || c.height <= 0 || c.width > 0xFFFF || c.height > 0xFFFF) {
        setLastError("CreateGIF: needs a path and a canvas of at most 65535 x 65535");
        return delay;
    }
    auto w = std::make_unique<GifWriter>();
    w->width = c.width;
    w->height = c.height;
    w->frameDelay = delay;
    w->options = gChosenGifOptions;
    w->file = std::make_unique<OutputFile>(path);
    int error = 0;
    if (w->file->isOpen()) w->gif = EGifOpen(w->file->dest().file, writeToFile, &error);
    GifColorType global[kPaletteEntries] = {};
    if (palette)
        for (int i = 0; i < kPaletteEntries; ++i) global[i] = {palette[i * 4 + 2], palette[i * 4 + 1], palette[i * 4]};
    ColorMap globalMap(global);
    if (!w->gif || !globalMap.map) {
        setLastError("CreateGIF: the file cannot be created");
        return delay;
    }
    EGifSetGifVersion(w->gif, true);
    if (EGifPutScreenDesc(w->gif, w->width, w->height, 8, 0, globalMap.map) != GIF_OK || !putLoop(w->gif, w->options.plays)) {
        setLastError("CreateGIF: the file cannot be written");
        return delay;
    }
    gGif = std::move(w);
    return delay;
}

void writeGifRgb24(const uint8_t* rgb24, int32_t width, int32_t height) {
    GifWriter* w = gGif.get();
    if (!w || w->failed || !rgb24) return;
    if (width != w->width || height != w->height) {
        setLastError("WriteGIF_RGB24: the frame's size differs from the canvas size the GIF was opened at; "
                     "frame ignored");
        return;
    }
    if (!putFrame(*w, rgb24)) {
        w->failed = true;
        setLastError("WriteGIF_RGB24: writing the frame failed");
    }
}

void closeGif() {
    std::unique_ptr<GifWriter> w = std::move(gGif);
    if (!w) return;
    const bool closed = EGifCloseFile(w->gif, nullptr) == GIF_OK;
    w->gif = nullptr;
    if (!w->file->commit(!w->failed && closed)) setLastError("CloseGIF: the file could not be finished");
}

bool setGifOptions(int32_t quality, int32_t plays) noexcept {
    if (quality < 1 || quality > 100 || plays < 0 || plays > kMaxPlays) return false;
    gChosenGifOptions = {quality, plays};
    return true;
}

void resetGifWriter() noexcept {
    gGif.reset();
    gChosenGifOptions = {};
}

}  // namespace dro::io
