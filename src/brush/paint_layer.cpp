#include "brush/paint_layer.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "brush/tool_settings.h"
#include "core/blend_mode_table.h"
#include "core/allocation.h"
#include "core/canvas.h"
#include "core/failure.h"
#include "imaging/lib/blur.h"

namespace dro {
namespace {

// Standard deviation of the alpha softening: a light blur of about one pixel.
constexpr double kAlphaBlurRadius = 1.0;
// Alpha bytes at or above this count as solid and become fully opaque.
constexpr uint8_t kSolidAlphaByte = 240;

uint64_t planeValues(const LayerSlot& layer) noexcept {
    if (layer.width <= 0 || layer.height <= 0) return 0;
    return static_cast<uint64_t>(layer.rowPitch) * static_cast<uint64_t>(layer.height);
}

// extents cut to a w x h plane; right and bottom are one past the last pixel.
Rect clipExtents(const Rect& e, int32_t w, int32_t h) noexcept {
    return {std::max(e.left, 0), std::max(e.top, 0), std::min(e.right, w), std::min(e.bottom, h)};
}

}  // namespace

Rect clipPaintExtents(const Rect& e, int32_t w, int32_t h) noexcept { return clipExtents(e, w, h); }

Rect emptyPaintExtents() noexcept { return {canvas().width, canvas().height, 0, 0}; }

int32_t createPaintLayer(int32_t opacityPercent, int32_t secondPercent, const char* modeName) noexcept {
    PaintLayer& p = paintLayer();
    LayerSlot& layer = p.layer;
    const Canvas& c = canvas();
    if (layer.empty() && c.width > 0 && c.height > 0) {
        layer.width = c.width;
        layer.height = c.height;
        layer.rowPitch = c.rowPitch;
        layer.pixels = adoptBuffer(x_NewShortUndoReduce(planeValues(layer)));
        layer.extents = {0, 0, c.width, c.height};
        clearPaintLayer();
    }
    if (modeName && ::strnlen(modeName, sizeof p.modeName) < sizeof p.modeName) {
        std::strcpy(p.modeName, modeName);
    }
    layer.visible = 1;
    layer.alphaLocked = 0;
    layer.opacity = static_cast<uint16_t>(static_cast<int64_t>(opacityPercent * 2.56));
    p.secondOpacity = static_cast<uint16_t>(static_cast<int64_t>(secondPercent * 2.559));
    layer.mode = BlendModeFromName(modeName);
    return layer.mode;
}

void clearPaintLayer() noexcept {
    LayerSlot& layer = paintLayer().layer;
    if (!layer.empty()) std::memset(layer.pixels.get(), 0, planeValues(layer) * sizeof(uint16_t));
    layer.extents = emptyPaintExtents();
}

void clearPaintLayerOld() noexcept {
    LayerSlot& layer = paintLayer().layer;
    if (!layer.empty()) {
        std::memset(layer.pixels.get(), 0xFF, planeValues(layer) * sizeof(uint16_t));
        const Rect r = clipExtents(layer.extents, layer.width, layer.height);
        for (int32_t y = r.top; y < r.bottom && r.right > r.left; ++y) {
            uint16_t* row = layer.pixels.get() + static_cast<size_t>(y) * layer.rowPitch + size_t{4} * r.left;
            std::memset(row, 0, static_cast<size_t>(r.right - r.left) * 8);
        }
    }
    layer.extents = emptyPaintExtents();
}

void deletePaintLayer() noexcept { paintLayer().layer.pixels.reset(); }

void setPaintLayerExtents(int32_t minX, int32_t minY, int32_t maxX, int32_t maxY) noexcept {
    paintLayer().layer.extents = {minX, minY, maxX, maxY};
}

void swapPaintLayer(int32_t index) noexcept {
    if (LayerSlot* slot = slotAt(index)) std::swap(paintLayer().layer, *slot);
}

void blurPaintLayerAlpha() {
    LayerSlot& layer = paintLayer().layer;
    if (layer.empty() || layer.width <= 0 || layer.height <= 0) return;
    const int32_t w = layer.width;
    const int32_t h = layer.height;
    const uint64_t area = static_cast<uint64_t>(w) * static_cast<uint64_t>(h);
    OwnedBuffer<uint8_t> before = adoptBuffer(x_NewCharUndoReduce(area));
    requireAllocated(before);
    OwnedBuffer<uint8_t> blurred = adoptBuffer(x_NewCharUndoReduce(area));
    requireAllocated(blurred);
    for (int32_t y = 0; y < h; ++y) {
        const uint16_t* px = layer.pixels.get() + static_cast<size_t>(y) * layer.rowPitch;
        uint8_t* out = before.get() + static_cast<size_t>(y) * w;
        for (int32_t x = 0; x < w; ++x) out[x] = static_cast<uint8_t>(px[size_t{4} * x + 3] >> 8);
    }
    if (!is5_GaussianBlurImage(before.get(), w, h, 1, w, blurred.get(), w, kAlphaBlurRadius, 1)) {
        throw AllocationFailure{};
    }
    for (int32_t y = 0; y < h; ++y) {
        uint16_t* px = layer.pixels.get() + static_cast<size_t>(y) * layer.rowPitch;
        const uint8_t* old = before.get() + static_cast<size_t>(y) * w;
        const uint8_t* soft = blurred.get() + static_cast<size_t>(y) * w;
        for (int32_t x = 0; x < w; ++x) {
            px[size_t{4} * x + 3] = old[x] < kSolidAlphaByte ? static_cast<uint16_t>(soft[x] << 8) : uint16_t{65535};
        }
    }
}

}  // namespace dro
