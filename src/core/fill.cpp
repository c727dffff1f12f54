#include "core/fill.h"

#include <cstring>

#include "core/allocation.h"
#include "core/canvas.h"
#include "core/pixel_format.h"
#include "core/transfer_load.h"
#include "core/mask_state.h"

namespace dro {
namespace {

template <class Visit>
void forEachCanvasPixel(LayerSlot& slot, Visit visit) {
    const PlaneExtent walk = canvasWalk(slot);
    const int64_t canvasWidth = canvas().width;
    for (int64_t j = 0; j < walk.height; ++j) {
        uint16_t* px = slot.pixels.get() + j * slot.rowPitch;
        for (int32_t i = 0; i < walk.width; ++i, px += 4) visit(px, static_cast<size_t>(j * canvasWidth + i));
    }
}

}  // namespace

void clearCurrent(int32_t red, int32_t green, int32_t blue, int32_t alpha) noexcept {
    LayerSlot* slot = filledCurrentSlot();
    if (!slot) return;
    const uint16_t v[4] = {widen8(red), widen8(green), widen8(blue), widen8(alpha)};
    forEachCanvasPixel(*slot, [&v](uint16_t* px, size_t) { std::memcpy(px, v, sizeof v); });
}

void clearCurrentMasked(int32_t red, int32_t green, int32_t blue, int32_t alpha) noexcept {
    if (LayerSlot* slot = filledCurrentSlot()) clearSlotMasked(*slot, red, green, blue, alpha);
}

void clearSlotMasked(LayerSlot& slot, int32_t red, int32_t green, int32_t blue, int32_t alpha) noexcept {
    if (slot.empty()) return;
    const uint16_t* mask = activeMask();
    const uint16_t full[4] = {widen8(red), widen8(green), widen8(blue), widen8(alpha)};
    if (!mask) {
        forEachCanvasPixel(slot, [&full](uint16_t* px, size_t) { std::memcpy(px, full, sizeof full); });
        return;
    }
    const uint32_t colour[3] = {static_cast<uint8_t>(red), static_cast<uint8_t>(green), static_cast<uint8_t>(blue)};
    forEachCanvasPixel(slot, [&](uint16_t* px, size_t i) {
        const uint32_t m = mask[i];
        if (m == 0) return;
        if (m == 65535) {
            std::memcpy(px, full, sizeof full);
            return;
        }
        for (int k = 0; k < 3; ++k) px[k] = mixWithCoverage(colour[k], px[k], m);
        px[3] = 65535;
    });
}

void clearCurrentMaskedAlpha(int32_t red, int32_t green, int32_t blue, int32_t alpha) {
    Canvas& c = canvas();
    LayerSlot* slot = filledCurrentSlot();
    if (!slot) return;
    if (!activeMask() && !slot->alphaLocked) {
        clearCurrent(red, green, blue, alpha);
        return;
    }
    if (slot->width <= 0 || slot->height <= 0) return;
    // Sized to the layer (the canvas size for a canvas-sized layer) so the load never
    // reads past the block.
    const uint64_t bytes = uint64_t(slot->width) * uint64_t(slot->height) * 4;
    OwnedBuffer<uint8_t> block = adoptBuffer(x_NewCharUndoReduce(bytes));
    if (!block) return;
    clearRGBA32(block.get(), slot->width * 4, slot->width, slot->height, red, green, blue, alpha);
    loadRGBA32Layer(block.get(), slot->width * 4, c.currentLayer, 0, 0, slot->width, slot->height, true);
}

void clearRGBA64(uint16_t* block, int32_t pitch, int32_t red16, int32_t green16, int32_t blue16,
                 int32_t alpha16) noexcept {
    if (!block) return;
    const Canvas& c = canvas();
    const uint16_t v[4] = {static_cast<uint16_t>(red16), static_cast<uint16_t>(green16),
                           static_cast<uint16_t>(blue16), static_cast<uint16_t>(alpha16)};
    for (int64_t j = 0; j < c.height; ++j) {
        auto* row = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(block) + j * pitch);
        for (int32_t i = 0; i < c.width; ++i) std::memcpy(row + i * 4, v, sizeof v);
    }
}

void clearRGBA32(uint8_t* block, int32_t pitch, int32_t width, int32_t height, int32_t red, int32_t green,
                 int32_t blue, int32_t alpha) noexcept {
    if (!block) return;
    const uint8_t v[4] = {static_cast<uint8_t>(red), static_cast<uint8_t>(green), static_cast<uint8_t>(blue),
                          static_cast<uint8_t>(alpha)};
    for (int64_t j = 0; j < height; ++j) {
        uint8_t* row = block + j * pitch;
        for (int32_t i = 0; i < width; ++i) std::memcpy(row + i * 4, v, sizeof v);
    }
}

void getMaskData16(uint16_t* destination) noexcept {
    const MaskState& m = maskState();
    if (!destination || !m.plane) return;
    std::memcpy(destination, m.plane.get(), uint64_t(canvas().width) * uint64_t(canvas().height) * 2);
}

void setMaskData16(const uint16_t* source) noexcept {
    MaskState& m = maskState();
    if (!source || !m.plane) return;
    std::memcpy(m.plane.get(), source, uint64_t(canvas().width) * uint64_t(canvas().height) * 2);
}

}  // namespace dro
