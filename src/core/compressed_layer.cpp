#include "core/compressed_layer.h"

#include <algorithm>

#include "core/allocation.h"
#include "core/canvas.h"
#include "core/failure.h"
#include "core/transfer_load.h"
#include "core/transfer_read.h"
#include "core/zlib_buffers.h"

namespace dro {

int32_t getRGBA32LayerCompressed(uint8_t* out, int32_t capacity, int32_t layer, int32_t level) {
    const LayerSlot* slot = filledSlotAt(layer);
    const Canvas& c = canvas();
    if (!slot || !out || capacity <= 0 || c.width <= 0 || c.height <= 0) return 0;
    const uint64_t bytes = uint64_t(c.width) * uint64_t(c.height) * 4;
    OwnedBuffer<uint8_t> block = adoptBuffer(x_NewCharUndoReduce(bytes));
    requireAllocated(block);
    // A layer smaller than the canvas leaves the rest transparent black.
    if (slot->width < c.width || slot->height < c.height) std::fill_n(block.get(), bytes, uint8_t{0});
    getRGBA32Layer(block.get(), c.width * 4, layer);
    return IS3ZDeflateBuffer(block.get(), static_cast<uint32_t>(bytes), out, static_cast<uint32_t>(capacity), level);
}

void loadRGBA32LayerCompressed(const uint8_t* in, int32_t size, int32_t layer) {
    const LayerSlot* slot = filledSlotAt(layer);
    if (!slot || !in || size <= 0 || slot->width <= 0 || slot->height <= 0) return;
    const uint64_t bytes = uint64_t(slot->width) * uint64_t(slot->height) * 4;
    OwnedBuffer<uint8_t> block = adoptBuffer(x_NewCharUndoReduce(bytes));
    requireAllocated(block);
    const int32_t inflated =
        IS3ZInflateBuffer(in, static_cast<uint32_t>(size), block.get(), static_cast<uint32_t>(bytes), 0);
    // A corrupt stream, or one of another layer size, loads nothing.
    if (inflated < 0 || static_cast<uint64_t>(inflated) != bytes) return;
    loadRGBA32Layer(block.get(), slot->width * 4, layer, 0, 0, slot->width, slot->height, false);
}

}  // namespace dro
