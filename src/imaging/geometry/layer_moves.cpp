#include "imaging/geometry/layer_moves.h"

#include <algorithm>
#include <cstddef>

#include "core/allocation.h"
#include "core/canvas.h"
#include "core/owned_buffer.h"
#include "core/transfer_load.h"
#include "imaging/lib/blur.h"
#include "imaging/lib/codecs/codec_types.h"
#include "imaging/lib/offset.h"
#include "imaging/working_buffer_ops.h"

namespace dro {

void panCurrentLayer(int32_t dx, int32_t dy, int32_t edgeMode, const uint8_t background[4], bool applyMaskAndTexture) {
    const uint8_t* source = canvasBlock(workingBuffers().iplSource32, 4);
    uint8_t* destination = canvasBlock(workingBuffers().iplDestination32, 4);
    if (!source || !destination || !filledCurrentSlot()) return;
    const Canvas& c = canvas();
    offsetRgba32(source, destination, c.width, c.height, dx, dy, lib::edgeModeFromValue(edgeMode), background);
    loadRGBA32Layer(destination, c.width * 4, c.currentLayer, 0, 0, c.width, c.height, applyMaskAndTexture);
}

bool blurMoreRgb24(uint8_t* block, int32_t width, int32_t height, int32_t radiusSetting, int32_t strengthSetting) {
    if (!block || width <= 0 || height <= 0) return false;
    const auto bytes = codecs::checkedImageBytes(width, height, 3);
    if (!bytes) return false;
    const int32_t radius = radiusSetting / 5;
    const int32_t strength = std::clamp(strengthSetting, 0, 100);
    if (radius <= 0 || strength == 0) return true;  // nothing to soften
    auto blurred = adoptBuffer(x_NewCharUndoReduce(*bytes));
    if (!blurred) return false;
    if (!is5_GaussianBlurImage(block, width, height, 3, width * 3, blurred.get(), width * 3, radius, 0x7))
        return false;
    for (size_t i = 0; i < *bytes; ++i)
        block[i] = static_cast<uint8_t>((block[i] * (100 - strength) + blurred[i] * strength + 50) / 100);
    return true;
}

}  // namespace dro
