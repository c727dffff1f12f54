#include "core/layers.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/rect.h"
#include "core/texture_map.h"
#include "core/blend_mode_table.h"
#include "core/allocation.h"
#include "core/canvas.h"
#include "core/plane_copy.h"

namespace dro {

bool createLayer(int32_t index, int32_t width, int32_t height) {
    LayerSlot* slot = slotAt(index);
    if (!slot) return false;
    if (!slot->empty() && (slot->width != width || slot->height != height)) slot->pixels.reset();
    slot->width = width;
    slot->height = height;
    slot->rowPitch = rowBytes(width, 4);
    const uint64_t values = width > 0 && height > 0
                                ? static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4
                                : 0;
    if (slot->empty() && values > 0) slot->pixels = adoptBuffer(x_NewShortUndoReduce(values));
    if (slot->empty()) return false;
    // The background starts opaque white, every other layer transparent black.
    std::memset(slot->pixels.get(), index == kBackgroundSlot ? 0xFF : 0x00, values * sizeof(uint16_t));
    return true;
}

void deleteLayer(int32_t index) noexcept {
    if (LayerSlot* slot = slotAt(index)) slot->pixels.reset();
}

void swapLayers(int32_t a, int32_t b) noexcept {
    LayerSlot* first = slotAt(a);
    LayerSlot* second = slotAt(b);
    if (first && second && first != second) std::swap(*first, *second);
}

int32_t layerCount() noexcept {
    const auto& slots = canvas().layerSlots;
    return static_cast<int32_t>(
        std::count_if(slots.begin(), slots.end(), [](const LayerSlot& s) { return !s.empty(); }));
}

void setLayerOptions(int32_t index, uint8_t visible, uint8_t alphaLocked, int32_t percent,
                     const char* modeName) {
    LayerSlot* slot = slotAt(index);
    if (!slot) return;
    if (slot->mode == kModeTexturize3) deleteTexture();
    slot->visible = visible;
    slot->alphaLocked = alphaLocked;
    slot->opacity = static_cast<uint16_t>(static_cast<int64_t>(percent * 2.56));
    slot->mode = BlendModeFromName(modeName);

    Canvas& c = canvas();
    c.topLayer = 1;
    for (int32_t i = kLayerSlotCount - 1; i >= 1; --i) {
        if (!c.layerSlots[static_cast<size_t>(i)].empty()) {
            c.topLayer = i;
            break;
        }
    }
    if (index != c.currentLayer && slot->visible && slot->mode == kModeTexturize3) {
        createTexture(index);
    }
}

void setAlphaLayerOpacity(int32_t percent) noexcept {
    canvas().alphaLayerOpacity = static_cast<uint16_t>(static_cast<int64_t>(percent * 0.01 * 65535));
}

void getLayerData(uint16_t* destination, int32_t index) noexcept {
    const LayerSlot* slot = filledSlotAt(index);
    if (!slot || !destination) return;
    const PlaneExtent walk = canvasWalk(*slot);
    copyPlaneRect(destination, canvas().width * 8, slot->pixels.get(), slot->rowPitch * 2, walk.width * 8,
                  walk.height);
}

void setLayerData(const uint16_t* source, int32_t index) noexcept {
    LayerSlot* slot = filledSlotAt(index);
    if (!slot || !source) return;
    const PlaneExtent walk = canvasWalk(*slot);
    copyPlaneRect(slot->pixels.get(), slot->rowPitch * 2, source, canvas().width * 8, walk.width * 8,
                  walk.height);
}

void copyLayerData(int32_t sourceIndex, int32_t destinationIndex) noexcept {
    const LayerSlot* source = filledSlotAt(sourceIndex);
    LayerSlot* destination = filledSlotAt(destinationIndex);
    if (!source || !destination || source == destination) return;
    const PlaneExtent a = canvasWalk(*source);
    const PlaneExtent b = canvasWalk(*destination);
    copyPlaneRect(destination->pixels.get(), destination->rowPitch * 2, source->pixels.get(),
                  source->rowPitch * 2, std::min(a.width, b.width) * 8, std::min(a.height, b.height));
}

}  // namespace dro
