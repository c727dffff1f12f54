#include "composite/paint_layer_merge.h"

#include <algorithm>

#include "brush/paint_layer.h"
#include "brush/tool_settings.h"
#include "composite/merge_block.h"
#include "core/canvas.h"

namespace dro {

void mergePaintLayer(int32_t index) noexcept {
    PaintLayer& p = paintLayer();
    LayerSlot* target = filledSlotAt(index);
    if (!target || p.layer.empty()) return;
    const Canvas& c = canvas();
    // The extents come from the host as well as from dabs: never past the canvas or
    // either plane, whatever their sizes.
    const Rect r = clipPaintExtents(p.layer.extents, std::min({c.width, p.layer.width, target->width}),
                               std::min({c.height, p.layer.height, target->height}));
    const LayerSlot* current = filledCurrentSlot();
    MergeBlockCall call;
    call.source = p.layer.pixels.get();
    call.sourceX = r.left;
    call.sourceY = r.top;
    call.width = r.right - r.left;
    call.height = r.bottom - r.top;
    call.sourceStride = p.layer.rowPitch;
    call.destination = target->pixels.get();
    call.destinationX = r.left;
    call.destinationY = r.top;
    call.destinationStride = target->rowPitch;
    call.mode = p.layer.mode;
    call.opacity = p.layer.opacity;
    call.preOpacity = p.secondOpacity;
    call.alphaLock = (current && current->alphaLocked) || toolSettings().toolAlphaLocked;
    MergeBlock(call);
    clearPaintLayer();
}

}  // namespace dro
