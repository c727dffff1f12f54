#include "brush/brush_buffers.h"

#include <cstring>

#include "core/allocation.h"

namespace dro {

// Zeroed: a dab drawn before the first tool reads them, and must not read the heap.
bool allocateBrushBuffers(int32_t maxBrush) {
    BrushBuffers& b = brushBuffers();
    const uint64_t edge = maxBrush > 0 ? static_cast<uint64_t>(maxBrush) : 0;
    const uint64_t grainBytes = (edge + kGrainMargin) * (edge + kGrainMargin);
    bool complete = true;
    for (auto& grain : b.grain) {
        grain = adoptBuffer(x_NewCharUndoReduce(grainBytes));
        if (grain) std::memset(grain.get(), 0, grainBytes);
        complete = complete && grain;
    }
    b.grainEdge = static_cast<int32_t>(edge);
    b.grainBuffer = kGrainBufferCount - 1;
    b.grainOffset = 0;
    b.brushPlane = adoptBuffer(x_NewShortUndoReduce(edge * edge));
    if (b.brushPlane) std::memset(b.brushPlane.get(), 0, edge * edge * sizeof(uint16_t));
    return complete && b.brushPlane;
}

void releaseBrushBuffers() noexcept {
    BrushBuffers& b = brushBuffers();
    b.brushPlane.reset();
    b.releaseShape();
    for (auto& grain : b.grain) grain.reset();
    b.grainEdge = 0;
    b.grainBuffer = kGrainBufferCount - 1;
    b.grainOffset = 0;
    // Their length follows maxBrushSize, which the next canvas may change.
    DeleteRandArrayBtye(b.pixelColorTable);
    DeleteRandArrayBtye(b.pixelBrightnessTable);
}

int64_t grainBufferBytes() noexcept {
    const BrushBuffers& b = brushBuffers();
    const int64_t edge = static_cast<int64_t>(b.grainEdge) + kGrainMargin;
    return b.grainEdge > 0 ? edge * edge : 0;
}

}  // namespace dro
