#include "imaging/tools/tool_frame.h"

#include <cstring>

#include "brush/blend_buffer_ops.h"
#include "core/allocation.h"
#include "core/canvas.h"
#include "core/failure.h"
#include "core/transfer_load.h"
#include "imaging/working_buffer_ops.h"
#include "undo/undo_store.h"

namespace dro {

ToolTolerance ToolTolerance::from(int32_t t) noexcept {
    return {static_cast<int32_t>(t * 0.00002 * 195075), t / 500, t * 0.00002};
}

int32_t percentTo255(int32_t percent) noexcept { return static_cast<int32_t>(percent * 2.559); }

InvalidateCanvasOnExit::~InvalidateCanvasOnExit() { invalidateDirtyUndoCanvas(); }

ToolSource::ToolSource() {
    WorkingBuffer& buffer = workingBuffers().toolSource32;
    allocateSourceBuffer(buffer, 4);
    block_ = canvasBlock(buffer, 4);
}

ToolSource::~ToolSource() { releaseToolSource(); }

void releaseToolSource() noexcept { workingBuffers().toolSource32.release(); }

void ToolSource::writeBack() const {
    if (block_) loadRGBA32(block_, canvas().width * 4, true);
}

OwnedBuffer<uint8_t> canvasScratch(int32_t bytesPerPixel) {
    const uint64_t bytes = canvasBlockBytes(bytesPerPixel);
    OwnedBuffer<uint8_t> block = adoptBuffer(x_NewCharUndoReduce(bytes));
    requireAllocated(block);
    std::memset(block.get(), 0, bytes);
    return block;
}

bool insideCanvas(int32_t x, int32_t y) noexcept {
    const Canvas& c = canvas();
    return x >= 0 && y >= 0 && x < c.width && y < c.height;
}

uint32_t keyColourAt(int32_t x, int32_t y) noexcept {
    const uint32_t argb = colorAt(surfaceSource(), x, y);
    return ((argb >> 16) & 0xFF) | (argb & 0xFF00) | (argb & 0xFF) << 16;
}

}  // namespace dro
