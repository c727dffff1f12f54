#include "composite/layer_merge.h"

#include <algorithm>
#include <cstring>

#include "core/blend_mode_table.h"
#include "composite/merge_block.h"
#include "core/allocation.h"
#include "core/canvas.h"
#include "core/failure.h"
#include "core/pixel_access.h"
#include "core/rect.h"
#include "core/transfer_load.h"
#include "core/transfer_read.h"

namespace dro {
namespace {

// The merge of a layer onto anything: its mode, opacity and layer mask. The mask is
// used only when its plane matches the source's, since both are addressed alike.
MergeBlockCall layerCall(int32_t index, const LayerSlot& source) noexcept {
    MergeBlockCall call;
    call.source = source.pixels.get();
    call.sourceStride = source.rowPitch;
    call.mode = source.mode;
    call.opacity = source.opacity;
    if (const int32_t maskIndex = FindLayerMask(index)) {
        const LayerSlot& mask = canvas().layerSlots[static_cast<size_t>(maskIndex)];
        if (mask.width == source.width && mask.height == source.height) {
            call.mask = mask.pixels.get();
            call.maskMode = kModeLayerMask;
        }
    }
    return call;
}

bool isSameAlphaMode(int32_t a, int32_t b) noexcept { return a == b && a >= kFirstAlphaMode; }

// A canvas-sized RGBA32 block widened into a temporary RGBA64 block and merged over
// the part of the layer on the canvas with the call's mode and options. False when
// the temporary block cannot be had.
bool mergeHostBlock(const uint8_t* data, LayerSlot& destination, MergeBlockCall call) noexcept {
    const Canvas& c = canvas();
    if (!data || destination.empty() || c.width <= 0 || c.height <= 0) return true;
    OwnedBuffer<uint16_t> wide = adoptBuffer(x_NewShortUndoReduce(uint64_t(c.width) * uint64_t(c.height) * 4));
    if (!wide) return false;
    RGBA32ToRGBA64Block(data, wide.get(), c.width, c.height);
    const PlaneExtent walk = canvasWalk(destination);
    call.source = wide.get();
    call.sourceStride = c.width * 4;
    call.width = walk.width;
    call.height = walk.height;
    call.destination = destination.pixels.get();
    call.destinationStride = destination.rowPitch;
    MergeBlock(call);
    return true;
}

}  // namespace

void mergeLayer(int32_t sourceIndex, int32_t destinationIndex) noexcept {
    const LayerSlot* source = filledSlotAt(sourceIndex);
    LayerSlot* destination = filledSlotAt(destinationIndex);
    if (!source || !destination) return;
    const PlaneExtent a = canvasWalk(*source);
    const PlaneExtent b = canvasWalk(*destination);
    MergeBlockCall call = layerCall(sourceIndex, *source);
    call.width = std::min(a.width, b.width);
    call.height = std::min(a.height, b.height);
    call.destination = destination->pixels.get();
    call.destinationStride = destination->rowPitch;
    call.sameMode = isSameAlphaMode(source->mode, destination->mode);
    MergeBlock(call);
}

void mergeLayerIntoRect(int32_t index, uint16_t* buffer, int32_t x, int32_t y, int32_t width, int32_t height) noexcept {
    const LayerSlot* source = filledSlotAt(index);
    if (!source || !buffer || width <= 0 || height <= 0) return;
    // Only the part of the rectangle on the layer is read; the buffer keeps its layout.
    const PlaneExtent walk = canvasWalk(*source);
    const PlaneSpan on = overlapWithPlane(x, y, width, height, walk.width, walk.height);
    if (on.empty()) return;
    MergeBlockCall call = layerCall(index, *source);
    call.sourceX = static_cast<int32_t>(on.left);
    call.sourceY = static_cast<int32_t>(on.top);
    call.width = static_cast<int32_t>(on.width());
    call.height = static_cast<int32_t>(on.height());
    call.destination = buffer;
    call.destinationX = static_cast<int32_t>(on.left - x);
    call.destinationY = static_cast<int32_t>(on.top - y);
    call.destinationStride = width * 4;
    MergeBlock(call);
}

void mergeRect(uint16_t* buffer, int32_t x, int32_t y, int32_t width, int32_t height) noexcept {
    if (!buffer || width <= 0 || height <= 0) return;
    std::memset(buffer, 0, static_cast<size_t>(width) * static_cast<size_t>(height) * 8);
    const Canvas& c = canvas();
    // The background is copied as it is, whatever its mode and opacity.
    if (c.layerSlots[kBackgroundSlot].visible == 1) getRGBA64LayerRect(buffer, width * 8, kBackgroundSlot, x, y, width, height);
    for (int32_t i = 2; i < kLayerSlotCount; ++i) {
        const LayerSlot& slot = c.layerSlots[static_cast<size_t>(i)];
        if (!slot.empty() && slot.visible) mergeLayerIntoRect(i, buffer, x, y, width, height);
    }
}

bool MergeRGBA32Block(const uint8_t* data, LayerSlot& destination, int32_t mode, int32_t maskMode, int32_t opacity,
                      bool alphaLock) noexcept {
    MergeBlockCall call;
    call.mode = mode;
    call.maskMode = maskMode;
    call.opacity = opacity;
    call.alphaLock = alphaLock;
    return mergeHostBlock(data, destination, call);
}

void mergeRGBA32Layer(const uint8_t* data, int32_t index, int32_t mode, int32_t opacity) {
    LayerSlot* slot = filledSlotAt(index);
    if (!slot) return;
    MergeBlockCall call;
    call.mode = mode;
    call.opacity = opacity;
    call.sameMode = isSameAlphaMode(mode, slot->mode);
    if (!mergeHostBlock(data, *slot, call)) throw AllocationFailure{};
}

uint32_t colorAtMerged(int32_t x, int32_t y) {
    const Canvas& c = canvas();
    if (x < 0 || y < 0 || x >= c.width || y >= c.height) return 0x00FFFFFF;
    OwnedBuffer<uint16_t> pixel = adoptBuffer(x_NewShortUndoReduce(4));
    if (!pixel) return 0;
    mergeRect(pixel.get(), x, y, 1, 1);
    return packedColorAt(pixel.get(), 0, 0);
}

}  // namespace dro
