#include "brush/brush_buffers.h"

#include "core/allocation.h"

namespace dro {

BrushBuffers& brushBuffers() noexcept {
    static BrushBuffers state;
    return state;
}

void resetBrushBuffers() noexcept { brushBuffers() = BrushBuffers{}; }

bool allocateBrushBuffers(int32_t maxBrush) {
    BrushBuffers& b = brushBuffers();
    const uint64_t edge = maxBrush > 0 ? static_cast<uint64_t>(maxBrush) : 0;
    bool complete = true;
    for (auto& grain : b.grain) {
        grain = adoptBuffer(x_NewCharUndoReduce((edge + 25) * (edge + 25)));
        complete = complete && grain;
    }
    b.brushPlane = adoptBuffer(x_NewShortUndoReduce(edge * edge));
    return complete && b.brushPlane;
}

void releaseBrushBuffers() noexcept {
    BrushBuffers& b = brushBuffers();
    b.brushPlane.reset();
    b.releaseShape();
    for (auto& grain : b.grain) grain.reset();
}

}  // namespace dro
