#include "undo/layer_selection.h"

#include "core/blend_mode_table.h"
#include "core/canvas.h"
#include "core/texture_map.h"
#include "undo/undo_store.h"

namespace dro {

void setLayer(int32_t index) {
    LayerSlot* slot = filledSlotAt(index);
    if (!slot) return;
    Canvas& c = canvas();
    // The texture follows the "Texturize3" layer only while that layer is not current.
    if (slot->mode == kModeTexturize3) deleteTexture();
    if (c.currentLayer != index) {
        const LayerSlot* previous = slotAt(c.currentLayer);
        if (previous && previous->visible && previous->mode == kModeTexturize3) {
            createTexture(c.currentLayer);
        }
    }
    c.currentLayer = index;
    c.currentSlot = slot;
    saveUndoBackBuffer(index);
}

}  // namespace dro
