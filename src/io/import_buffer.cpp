#include "io/import_buffer.h"

#include <cstring>

#include "core/allocation.h"
#include "core/canvas.h"
#include "core/failure.h"
#include "core/transfer_load.h"
#include "imaging/lib/resample.h"
#include "mask/mask_conversions.h"

namespace dro {
namespace {

uint64_t pixelCount(const ImportBuffer& b) noexcept {
    return static_cast<uint64_t>(b.width) * static_cast<uint64_t>(b.height);
}

// Very small targets or sources ring with the wide kernel; they get the bicubic one.
constexpr int32_t kSmallResizeFilter = 17;
constexpr int32_t kResizeFilter = 8;
constexpr int32_t kSmallEdge = 5;

}  // namespace

uint8_t* createNewRgba(int32_t width, int32_t height) {
    ImportBuffer& b = importBuffer();
    b.pixels = {};  // the old block goes before the new one is asked for
    b.width = width;
    b.height = height;
    if (width <= 0 || height <= 0) return nullptr;
    const uint64_t bytes = pixelCount(b) * 4;
    if (!retryReducingUndo(bytes, [&] {
            b.pixels.resize(bytes);
            return true;
        }))
        return nullptr;
    return b.pixels.data();
}

void adoptNewRgba(int32_t width, int32_t height, std::vector<uint8_t>&& rgba) noexcept {
    ImportBuffer& b = importBuffer();
    b.width = width;
    b.height = height;
    b.pixels = std::move(rgba);
}

void deleteNewRgba() noexcept { importBuffer().pixels = {}; }

void copyNewRgba32(uint8_t* destination) {
    const ImportBuffer& b = importBuffer();
    if (!destination || !b.hasBlock()) return;
    std::memcpy(destination, b.pixels.data(), pixelCount(b) * 4);
}

void copyNewRgb24(uint8_t* destination) {
    const ImportBuffer& b = importBuffer();
    if (!destination || !b.hasBlock()) return;
    rgbaToRgb(destination, b.width, b.height, b.pixels.data());
}

void copyResizedNewRgb24(uint8_t* destination, int32_t width, int32_t height) {
    const ImportBuffer& b = importBuffer();
    if (!destination || !b.hasBlock() || width <= 0 || height <= 0) return;
    OwnedBuffer<uint8_t> block(x_NewCharUndoReduce(static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4));
    requireAllocated(block.get());
    const bool small = b.width < kSmallEdge || b.height < kSmallEdge || width < kSmallEdge || height < kSmallEdge;
    if (!is5_ResizeImage(b.pixels.data(), b.width, b.height, b.width * 4, block.get(), width, height, width * 4, 4,
                         small ? kSmallResizeFilter : kResizeFilter, 0))
        return;
    rgbaToRgb(destination, width, height, block.get());
}

bool newRgbaHasTransparency() noexcept {
    const ImportBuffer& b = importBuffer();
    if (!b.hasBlock()) return false;
    const uint8_t* p = b.pixels.data();
    const uint64_t n = pixelCount(b);
    for (uint64_t i = 0; i < n; ++i)
        if (p[i * 4 + 3] != 255) return true;
    return false;
}

void loadNewRgbaIntoCurrentLayer() {
    const ImportBuffer& b = importBuffer();
    if (!b.hasBlock()) return;
    loadRGBA32Layer(b.pixels.data(), b.width * 4, canvas().currentLayer, 0, 0, b.width, b.height, true);
}

}  // namespace dro
