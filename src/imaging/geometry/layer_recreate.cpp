#include "imaging/geometry/layer_recreate.h"

#include <cstring>

#include "core/allocation.h"
#include "core/canvas.h"
#include "core/layers.h"
#include "core/owned_buffer.h"
#include "core/transfer_load.h"
#include "core/transfer_read.h"

namespace dro {
namespace {

uint64_t blockBytes(BlockSize size) { return uint64_t(size.width) * uint64_t(size.height) * 4; }

BlockSize canvasSize() noexcept { return {canvas().width, canvas().height}; }

// The layer as the canvas sees it; after an earlier command and before the host's
// DRO_NewSize a layer may be smaller than the canvas, so the rest is cleared first.
void readLayer(int32_t slot, uint8_t* block, BlockSize size) {
    std::memset(block, 0, blockBytes(size));
    getRGBA32Layer(block, size.width * 4, slot);
}

}  // namespace

bool validCanvasSize(BlockSize size) noexcept {
    return size.width > 0 && size.height > 0 && size.width <= kMaxCanvasEdge && size.height <= kMaxCanvasEdge;
}

bool recreateEveryLayer(BlockSize newSize, const LayerReshape& reshape) {
    const BlockSize oldSize = canvasSize();
    if (!validCanvasSize(oldSize) || !validCanvasSize(newSize)) return false;
    auto source = adoptBuffer(x_NewCharUndoReduce(blockBytes(oldSize)));
    if (!source) return false;
    auto result = adoptBuffer(x_NewCharUndoReduce(blockBytes(newSize)));
    if (!result) return false;
    for (int32_t index = 1; index < kLayerSlotCount; ++index) {
        LayerSlot* slot = filledSlotAt(index);
        if (!slot) continue;
        readLayer(index, source.get(), oldSize);
        if (!reshape(index, source.get(), result.get())) continue;
        const uint8_t alphaLocked = slot->alphaLocked;
        slot->alphaLocked = 0;
        deleteLayer(index);
        if (createLayer(index, newSize.width, newSize.height))
            loadRGBA32Layer(result.get(), newSize.width * 4, index, 0, 0, newSize.width, newSize.height, false);
        slot->alphaLocked = alphaLocked;
    }
    return true;
}

bool rewriteEveryLayer(const std::function<bool(uint8_t* block, BlockSize size)>& change) {
    const BlockSize size = canvasSize();
    if (!validCanvasSize(size)) return false;
    auto block = adoptBuffer(x_NewCharUndoReduce(blockBytes(size)));
    if (!block) return false;
    for (int32_t index = 1; index < kLayerSlotCount; ++index) {
        if (!filledSlotAt(index)) continue;
        readLayer(index, block.get(), size);
        if (change(block.get(), size))
            loadRGBA32Layer(block.get(), size.width * 4, index, 0, 0, size.width, size.height, false);
    }
    return true;
}

}  // namespace dro
