#include "imaging/working_buffer_ops.h"

#include <cstring>

#include "core/allocation.h"
#include "core/canvas.h"
#include "core/failure.h"
#include "core/transfer_read.h"
#include "core/mask_state.h"
#include "mask/mask_to_image.h"

namespace dro {
namespace {

// Keeps a block of the wanted size or replaces it; true when the block is new.
enum class NewBlock { zeroed, filledByCaller };

bool keepOrReplace(WorkingBuffer& buffer, uint64_t wanted, NewBlock fresh = NewBlock::zeroed) {
    if (buffer.block && buffer.sizeBytes == wanted) return false;
    buffer.block.reset();
    buffer.sizeBytes = static_cast<uint32_t>(wanted);
    buffer.block = adoptBuffer(x_NewCharUndoReduce(wanted));
    requireAllocated(buffer.block);
    if (fresh == NewBlock::zeroed) std::memset(buffer.block.get(), 0, wanted);
    return true;
}

// Every pixel of the block, kept or new: the layer where it covers the canvas, and
// transparent black where a smaller (or empty) layer does not.
void fillFromCurrentLayer(uint8_t* block, int32_t bytesPerPixel) noexcept {
    const Canvas& c = canvas();
    const LayerSlot* slot = filledCurrentSlot();
    const PlaneExtent covered = slot ? canvasWalk(*slot) : PlaneExtent{};
    if (covered.width < c.width || covered.height < c.height) std::memset(block, 0, canvasBlockBytes(bytesPerPixel));
    if (bytesPerPixel == 4) {
        getRGBA32Layer(block, c.width * 4, c.currentLayer);
    } else {
        getRGB24Layer(block, c.width * 3, c.currentLayer);
    }
}

}  // namespace

uint64_t canvasBlockBytes(int32_t bytesPerPixel) noexcept {
    const Canvas& c = canvas();
    if (c.width <= 0 || c.height <= 0) return 0;
    return static_cast<uint64_t>(c.width) * static_cast<uint64_t>(c.height) * static_cast<uint64_t>(bytesPerPixel);
}

uint8_t* canvasBlock(const WorkingBuffer& buffer, int32_t bytesPerPixel) noexcept {
    const uint64_t wanted = canvasBlockBytes(bytesPerPixel);
    if (wanted == 0 || !buffer.block || buffer.sizeBytes != wanted) return nullptr;
    return buffer.block.get();
}

void allocateSourceBuffer(WorkingBuffer& buffer, int32_t bytesPerPixel) {
    const uint64_t wanted = canvasBlockBytes(bytesPerPixel);
    if (wanted == 0) return;
    keepOrReplace(buffer, wanted, NewBlock::filledByCaller);
    fillFromCurrentLayer(buffer.block.get(), bytesPerPixel);
}

void allocateDestinationBuffer(WorkingBuffer& buffer, int32_t bytesPerPixel) {
    const uint64_t wanted = canvasBlockBytes(bytesPerPixel);
    if (wanted == 0) return;
    keepOrReplace(buffer, wanted);
}

void setBuffer32(WorkingBuffer& buffer, const uint8_t* block) noexcept {
    uint8_t* target = canvasBlock(buffer, 4);
    if (!target || !block) return;
    std::memcpy(target, block, buffer.sizeBytes);
}

void updateIplSource32() noexcept {
    uint8_t* block = canvasBlock(workingBuffers().iplSource32, 4);
    if (block) fillFromCurrentLayer(block, 4);
}

void applyMaskToAlphaIplSource() noexcept {
    uint8_t* block = canvasBlock(workingBuffers().iplSource32, 4);
    if (!block || !maskState().enabled || !maskState().plane) return;
    applyMaskToAlphaRGBA32(block);
}

}  // namespace dro
