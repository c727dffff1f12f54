#include "io/clipboard.h"

#include <algorithm>
#include <vector>

#include "core/canvas.h"
#include "core/failure.h"
#include "core/rect.h"
#include "core/transfer_load.h"
#include "imaging/lib/overlay.h"
#include "imaging/working_buffer_ops.h"
#include "io/clipboard_dib.h"
#include "io/image_files.h"
#include "io/import_buffer.h"
#include "core/mask_state.h"
#include "mask/mask_to_image.h"
#include "platform/platform.h"

namespace dro::io {
namespace {

// Releases the tool source buffer however the operation ends.
struct ToolSource {
    uint8_t* block = nullptr;
    ToolSource() {
        allocateSourceBuffer(workingBuffers().toolSource32, 4);
        block = canvasBlock(workingBuffers().toolSource32, 4);
        requireAllocated(block);
    }
    ~ToolSource() { workingBuffers().toolSource32.release(); }
    ToolSource(const ToolSource&) = delete;
    ToolSource& operator=(const ToolSource&) = delete;
};

bool maskInForce() noexcept { return maskState().enabled != 0 && maskState().plane; }

void mirrorHorizontally(Clip& clip) noexcept {
    for (int32_t y = 0; y < clip.height; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(clip.pixels.data() + static_cast<size_t>(y) * clip.width * 4);
        std::reverse(row, row + clip.width);
    }
}

void mirrorVertically(Clip& clip) noexcept {
    const size_t rowBytes = static_cast<size_t>(clip.width) * 4;
    for (int32_t top = 0, bottom = clip.height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(clip.pixels.begin() + top * rowBytes, clip.pixels.begin() + (top + 1) * rowBytes,
                         clip.pixels.begin() + bottom * rowBytes);
}

}  // namespace

bool putOnClipboard(const uint8_t* rgba, int32_t width, int32_t height) {
    const std::vector<uint8_t> dib = encodeClipboardDib(rgba, width, height);
    return !dib.empty() && platform::writeClipboardDib(dib.data(), dib.size());
}

bool readClipboardIntoImport() {
    std::vector<uint8_t> dib;
    if (!platform::readClipboardDib(dib)) return false;
    auto image = decodeClipboardDib(codecs::ByteSpan(dib.data(), dib.size()));
    if (!image) return false;
    adoptNewRgba(image->width, image->height, std::move(image->pixels));
    return true;
}

Clip takeImportedClip() noexcept {
    ImportBuffer& b = importBuffer();
    Clip clip{b.width, b.height, 4, std::move(b.pixels)};
    b.pixels = {};
    return clip;
}

void toClipboard() {
    if (!filledCurrentSlot()) return;
    ToolSource source;
    if (maskInForce()) applyMaskToAlphaRGBA32(source.block);
    putOnClipboard(source.block, canvas().width, canvas().height);
}

void toClipboardRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    if (!filledCurrentSlot()) return;
    const Canvas& c = canvas();
    const int32_t left = std::max(std::min(x0, x1), 0);
    const int32_t top = std::max(std::min(y0, y1), 0);
    const int32_t right = std::min(std::max(x0, x1), c.width);
    const int32_t bottom = std::min(std::max(y0, y1), c.height);
    if (right <= left || bottom <= top) return;
    ToolSource source;
    if (maskInForce()) applyMaskToAlphaRGBA32(source.block);
    const int32_t w = right - left, h = bottom - top;
    std::vector<uint8_t> crop(static_cast<size_t>(w) * h * 4);
    for (int32_t y = 0; y < h; ++y)
        std::copy_n(source.block + (static_cast<size_t>(top + y) * c.width + left) * 4, static_cast<size_t>(w) * 4,
                    crop.data() + static_cast<size_t>(y) * w * 4);
    putOnClipboard(crop.data(), w, h);
}

void rgba32ToClipboardRect(const uint8_t* block, int32_t x, int32_t y, int32_t width, int32_t height,
                           bool applyMask) {
    if (!block || !codecs::checkedImageBytes(width, height, 4)) return;
    if (!applyMask || !maskInForce()) {
        putOnClipboard(block, width, height);
        return;
    }
    // The host's block is its own: the mask scales a copy.
    std::vector<uint8_t> copy(block, block + static_cast<size_t>(width) * height * 4);
    applyMaskToAlphaRectRGBA32(copy.data(), width * 4, x, y, lastOf(x, width), lastOf(y, height));
    putOnClipboard(copy.data(), width, height);
}

int32_t fromClipboard() { return readClipboardIntoImport() ? 1 : 0; }

int32_t pasteImportInto(int32_t x, int32_t y) {
    const Clip clip = takeImportedClip();
    LayerSlot* slot = filledCurrentSlot();
    if (clip.empty() || !slot) return 0;
    ToolSource source;
    const Canvas& c = canvas();
    if (!IS3OverlayImage(source.block, c.width, c.height, 4, c.width * 4, clip.pixels.data(), clip.width,
                         clip.height, clip.width * 4, x, y, 1.0, 1))
        return 0;
    loadRGBA32Layer(source.block, c.width * 4, c.currentLayer, 0, 0, slot->width, slot->height, true);
    return 1;
}

int32_t fromClipboardInto(int32_t x, int32_t y, int32_t centre) {
    if (!filledCurrentSlot() || !readClipboardIntoImport()) return 0;
    if (centre == 1) {
        x = centredOn(x, importBuffer().width);
        y = centredOn(y, importBuffer().height);
    }
    return pasteImportInto(x, y);
}

void clipboardFlip(int32_t direction) {
    if (!readClipboardIntoImport()) return;  // a stale buffer must never go back out
    Clip clip = takeImportedClip();
    if (direction == 1) mirrorHorizontally(clip); else mirrorVertically(clip);
    putOnClipboard(clip.pixels.data(), clip.width, clip.height);
}

int32_t fromClipboardToFile(const char* path, const char* extension, int32_t dpi) {
    if (!readClipboardIntoImport()) return 0;
    const Clip clip = takeImportedClip();
    return writeToFileRgba32(clip.pixels.data(), clip.width, clip.height, path, extension, dpi);
}

void toClipboardFromFile(const char* path) {
    if (!readFromFile(path)) return;  // only what this read produced goes on the clipboard
    const Clip clip = takeImportedClip();
    putOnClipboard(clip.pixels.data(), clip.width, clip.height);
}

int32_t screenCapture() {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> rgba;
    if (!platform::captureScreen(width, height, rgba)) return 0;
    adoptNewRgba(width, height, std::move(rgba));
    return 1;
}

int32_t screenCaptureInto() {
    if (!filledCurrentSlot() || !screenCapture()) return 0;
    return pasteImportInto(0, 0);
}

}  // namespace dro::io
