#include "brush/blend_buffers.h"

#include <cstring>

#include "core/allocation.h"
#include "core/canvas.h"
#include "core/last_error.h"

namespace dro {

bool setBlendBufferCount(int32_t n) {
    BlendBuffers& b = blendBuffers();
    if (n > kMaxBlendBuffers) n = kMaxBlendBuffers;
    if (n < 0) n = 0;
    b.selected = 0;
    if (n == b.count) return true;

    for (LayerSlot& buffer : b.table) buffer.pixels.reset();
    const int32_t edge = canvas().maxBrushSize > 0 ? canvas().maxBrushSize : 0;
    const uint64_t values = static_cast<uint64_t>(edge) * static_cast<uint64_t>(edge) * 4;
    for (int32_t i = 0; i < n; ++i) {
        LayerSlot& buffer = b.table[static_cast<size_t>(i)];
        buffer.pixels = adoptBuffer(x_NewShortUndoReduce(values));
        if (!buffer.pixels) {
            setLastError("SetBlendBufferCount Excpt");
            return false;
        }
        // The whole buffer is cleared, not only the part a brush square uses.
        std::memset(buffer.pixels.get(), 0, values * sizeof(uint16_t));
        buffer.width = edge;
        buffer.height = edge;
        buffer.rowPitch = edge * 4;
    }
    b.count = n;
    return true;
}

}  // namespace dro
