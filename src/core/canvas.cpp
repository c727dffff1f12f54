#include "core/canvas.h"

#include <algorithm>

namespace dro {

LayerSlot* slotAt(int32_t index) noexcept {
    if (index < 0 || index >= kLayerSlotCount) return nullptr;
    return &canvas().layerSlots[static_cast<size_t>(index)];
}

LayerSlot* filledSlotAt(int32_t index) noexcept {
    LayerSlot* slot = slotAt(index);
    return slot && !slot->empty() ? slot : nullptr;
}

LayerSlot* filledCurrentSlot() noexcept {
    LayerSlot* slot = canvas().currentSlot;
    return slot && !slot->empty() ? slot : nullptr;
}

PlaneExtent canvasWalk(const LayerSlot& slot) noexcept {
    const Canvas& c = canvas();
    return {std::max(0, std::min(c.width, slot.width)), std::max(0, std::min(c.height, slot.height))};
}

}  // namespace dro
