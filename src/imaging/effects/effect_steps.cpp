#include "imaging/effects/effect_steps.h"

#include "brush/premultiply.h"
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

void runInHouseFilterStep(const EffectArgs& args, std::string_view filter, Premultiply premultiply) {
    const IplPair pair = iplPair();
    if (!pair) return;
    updateIplSource32();
    if (premultiply == Premultiply::yes) premultiplyRgba32(pair.source, pair.width, pair.height);
    if (!runFilterFrame(filter, args.filterSettings(0))) return;
    if (premultiply == Premultiply::yes) unpremultiplyRgba32(pair.destination, pair.width, pair.height);
    writeBackAndRefresh(pair.destination);
}

}  // namespace dro
