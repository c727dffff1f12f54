#include "imaging/effects/effect_steps.h"

#include "core/mask_texture_adjust.h"
#include "brush/premultiply.h"
#include "composite/layer_merge.h"
#include "core/canvas.h"
#include "core/transfer_load.h"
#include "imaging/filter_frame.h"
#include "imaging/working_buffer_ops.h"

namespace dro {

IplPair iplPair() noexcept {
    const WorkingBuffers& b = workingBuffers();
    IplPair pair{canvasBlock(b.iplSource32, 4), canvasBlock(b.iplDestination32, 4), canvas().width,
                 canvas().height};
    if (!pair) return {};
    return pair;
}

void writeBackAndRefresh(const uint8_t* block) {
    const Canvas& c = canvas();
    // Cut to the canvas: a layer larger than the canvas must not read past the block.
    loadRGBA32Layer(block, c.width * 4, c.currentLayer, 0, 0, c.width, c.height, true);
    updateIplSource32();
}

void premultiplyForNeighbourhood(uint8_t* block, int32_t width, int32_t height) noexcept {
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i) {
        uint8_t* px = block + i * 4;
        if (px[3] == 0) px[0] = px[1] = px[2] = 0;
    }
    premultiplyRgba32(block, width, height);
}

bool mergeIntoLayer(uint8_t* block, int32_t mode, int32_t opacity) {
    const Canvas& c = canvas();
    LayerSlot* slot = filledCurrentSlot();
    if (!slot) return false;
    adjustRGBA32RectByMaskAndTexture(block, 0, 0, c.width, c.height);
    const bool merged = MergeRGBA32Block(block, *slot, mode, 0, opacity, slot->alphaLocked != 0);
    updateIplSource32();
    return merged;
}

bool runRgb24Step(const std::function<bool(const uint8_t*, uint8_t*, int32_t, int32_t)>& work) {
    WorkingBuffers& b = workingBuffers();
    allocateSourceBuffer(b.iplSource24, 3);
    allocateDestinationBuffer(b.iplDestination24, 3);
    uint8_t* source = canvasBlock(b.iplSource24, 3);
    uint8_t* destination = canvasBlock(b.iplDestination24, 3);
    const Canvas& c = canvas();
    if (!source || !destination || !work(source, destination, c.width, c.height)) return false;
    loadRGB24(destination, c.width * 3, true);
    updateIplSource32();
    return true;
}

void releaseRgb24Buffers() noexcept {
    WorkingBuffers& b = workingBuffers();
    b.iplSource24.release();
    b.iplDestination24.release();
}

void updateSourceFromLayer() { updateIplSource32(); }
void unpremultiplyBlock(uint8_t* block, int32_t width, int32_t height) noexcept {
    unpremultiplyRgba32(block, width, height);
}

void runInHouseFilterStep(const EffectArgs& args, std::string_view filter, Premultiply premultiply) {
    const IplPair pair = iplPair();
    if (!pair) return;
    updateIplSource32();
    if (premultiply == Premultiply::yes) premultiplyForNeighbourhood(pair.source, pair.width, pair.height);
    if (!runFilterFrame(filter, args.filterSettings(0))) return;
    if (premultiply == Premultiply::yes) unpremultiplyRgba32(pair.destination, pair.width, pair.height);
    writeBackAndRefresh(pair.destination);
}

}  // namespace dro
