#include "io/image_brush_master.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <vector>

#include "brush/blend_buffers.h"
#include "brush/image_brush_state.h"
#include "brush/tool_settings.h"
#include "core/allocation.h"
#include "core/canvas.h"
#include "core/failure.h"
#include "imaging/lib/codecs/png_codec.h"
#include "io/image_files.h"
#include "io/output_file.h"

namespace dro {
namespace {

constexpr double kBrushFilePixelsPerMetre = 2834;

Rgba64Image newImage(int32_t width, int32_t height) {
    Rgba64Image image;
    if (width <= 0 || height <= 0) return image;
    image.pixels = adoptBuffer(x_NewShortUndoReduce(uint64_t(width) * uint64_t(height) * 4));
    requireAllocated(image.pixels);
    image.width = width;
    image.height = height;
    return image;
}

// The master is replaced before the new one is allocated, so a failure leaves none.
Rgba64Image& newMaster(int32_t width, int32_t height) {
    Rgba64Image& master = imageBrush().master;
    master.reset();
    master = newImage(width, height);
    return master;
}

bool fitsBrushBox(int64_t width, int64_t height) {
    const int64_t m = canvas().maxBrushSize;
    return width > 0 && height > 0 && width <= m && height <= m;
}

void widenRGBA32(const uint8_t* in, int32_t width, int32_t height, uint16_t* out) {
    const size_t count = size_t(width) * size_t(height) * 4;
    for (size_t i = 0; i < count; ++i) out[i] = static_cast<uint16_t>(in[i] << 8);
}

void fillWith(Rgba64Image& image, uint16_t r, uint16_t g, uint16_t b, bool keepAlpha) {
    uint16_t* p = image.pixels.get();
    for (size_t i = 0, n = size_t(image.width) * image.height; i < n; ++i, p += 4) {
        p[0] = r;
        p[1] = g;
        p[2] = b;
        if (!keepAlpha) p[3] = 65535;
    }
}

uint16_t channel257(int32_t v) { return static_cast<uint16_t>((v & 0xFF) * 257); }

std::optional<codecs::PixelImage> readPicture(const char* path) {
    if (!path) return std::nullopt;
    return readImageFileRgba32(path);
}

}  // namespace

void fillImageBrush(int32_t r, int32_t g, int32_t b) {
    const int32_t size = toolSettings().size;
    if (size <= 0) return;
    fillWith(newMaster(size, size), channel257(r), channel257(g), channel257(b), false);
}

void colorImageBrush(int32_t r, int32_t g, int32_t b) {
    Rgba64Image* master = &imageBrush().master;
    if (!*master) {
        const int32_t size = toolSettings().size;
        if (size <= 0) return;
        master = &newMaster(size, size);
        fillWith(*master, 65535, 65535, 65535, false);
    }
    fillWith(*master, channel257(r), channel257(g), channel257(b), true);
}

void copyToImageBrush() {
    const int32_t size = toolSettings().size;
    if (size <= 0) return;
    const LayerSlot& buffer = blendBuffers().selectedBuffer();
    Rgba64Image& master = newMaster(size, size);
    std::memset(master.pixels.get(), 0, size_t(size) * size * 8);
    if (buffer.empty()) return;
    // A buffer smaller than the brush leaves the rest of the master transparent.
    const int32_t w = std::min(size, buffer.width), h = std::min(size, buffer.height);
    for (int32_t y = 0; y < h; ++y) {
        std::memcpy(master.pixels.get() + size_t(y) * size * 4, buffer.pixels.get() + size_t(y) * buffer.rowPitch,
                    size_t(w) * 8);
    }
}

void loadImageBrushFromRGBA32(const uint8_t* pixels, int32_t width, int32_t height) {
    if (!pixels || !fitsBrushBox(width, height)) return;
    widenRGBA32(pixels, width, height, newMaster(width, height).pixels.get());
}

void loadImageBrush(const char* path) {
    const auto picture = readPicture(path);
    if (!picture) throw std::runtime_error("unreadable image brush");
    if (!fitsBrushBox(picture->width, picture->height)) return;
    loadImageBrushFromRGBA32(picture->pixels.data(), picture->width, picture->height);
}

void loadImageBrushArray(const char* path) {
    const auto picture = readPicture(path);
    if (!picture) throw std::runtime_error("unreadable image brush strip");
    // A strip narrower than tall holds no whole frame.
    if (picture->width < picture->height || picture->height > canvas().maxBrushSize) return;
    ImageBrushState& brush = imageBrush();
    brush.strip.reset();
    brush.strip = newImage(picture->width, picture->height);
    widenRGBA32(picture->pixels.data(), picture->width, picture->height, brush.strip.pixels.get());
    newMaster(picture->height, picture->height);
    copyFromImageBrushArray(0.0f);
}

void copyFromImageBrushArray(float position) {
    ImageBrushState& brush = imageBrush();
    const int32_t frames = brush.frameCount();
    if (!brush.master || !brush.strip || frames < 1) return;
    // Clamped in floating point, before any conversion can overflow.
    const double p = std::isnan(position) ? 0.0 : std::clamp<double>(position, 0.0, 1.0);
    const int32_t frame = std::clamp(static_cast<int32_t>(frames * p), 0, frames - 1);
    const int32_t side = brush.strip.height;
    // The master may have been replaced since the strip loaded: copy what both hold and
    // clear the master's rest, so no row of an older picture stays behind.
    Rgba64Image& master = brush.master;
    std::memset(master.pixels.get(), 0, size_t(master.width) * master.height * 8);
    const int32_t w = std::min(master.width, side), h = std::min(master.height, side);
    for (int32_t y = 0; y < h; ++y) {
        const uint16_t* from = brush.strip.pixels.get() + (size_t(y) * brush.strip.width + size_t(frame) * side) * 4;
        std::memcpy(master.pixels.get() + size_t(y) * master.width * 4, from, size_t(w) * 8);
    }
}

void saveImageBrush(const char* path) {
    const Rgba64Image& master = imageBrush().master;
    if (!master || !path) return;
    std::vector<uint8_t> rgba(size_t(master.width) * master.height * 4);
    for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<uint8_t>(master.pixels[i] >> 8);
    OutputFile file(path);
    const codecs::Resolution resolution{kBrushFilePixelsPerMetre, kBrushFilePixelsPerMetre, 1};
    if (!file.isOpen() ||
        !file.commit(codecs::writePng(file.dest(), rgba.data(), master.width, master.height, 4, resolution))) {
        throw std::runtime_error("image brush not written");
    }
}

}  // namespace dro
