#include "composite/layer_load_merged.h"

#include "core/mask_texture_adjust.h"
#include "composite/layer_merge.h"
#include "core/canvas.h"
#include "core/failure.h"
#include "core/fill.h"

namespace dro {

void loadRGBA32LayerMerged(uint8_t* block, int32_t layer, int32_t width, int32_t height, bool adjust) {
    LayerSlot* slot = filledSlotAt(layer);
    if (!slot || !block) return;
    if (adjust) adjustRGBA32RectByMaskAndTexture(block, 0, 0, width, height);
    // The layer merged into is the one cleared, whichever layer is current.
    clearSlotMasked(*slot, 0, 0, 0, 0);
    if (!MergeRGBA32Block(block, *slot, 0, 0, 255, slot->alphaLocked != 0)) throw AllocationFailure{};
}

}  // namespace dro
