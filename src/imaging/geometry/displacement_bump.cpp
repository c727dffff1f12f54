#include "imaging/geometry/displacement_bump.h"

#include <cmath>
#include <cstring>
#include <string>

#include "brush/premultiply.h"
#include "core/allocation.h"
#include "core/canvas.h"
#include "core/failure.h"
#include "core/last_error.h"
#include "core/owned_buffer.h"
#include "core/transfer_load.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/lib/grayscale.h"
#include "imaging/lib/overlay.h"
#include "imaging/lib/transform_chain.h"
#include "imaging/lib/transform_process.h"
#include "imaging/script_image.h"

namespace dro {
namespace {

constexpr int32_t kPremultipliedBilinear = 1;

// The script's picture repeated from the top-left corner over a canvas-sized block, opaque.
bool tiledBumpMap(const char* scriptPath, uint8_t* map, int32_t width, int32_t height) {
    std::string reason;
    const ScriptImage tile = generateScriptImage(scriptPath, &reason);
    if (!tile) {
        setLastError(("IPLDisplacementBump: " + reason).c_str());
        return false;
    }
    tileRgba32(map, width, height, tile.pixels.get(), tile.width, tile.height, 0, 0);
    for (size_t i = 3; i < static_cast<size_t>(width) * static_cast<size_t>(height) * 4; i += 4) map[i] = 255;
    return true;
}

}  // namespace

void displacementBump(const char* scriptPath, double strength, uint32_t background) {
    const IplPair pair = iplPair();
    if (!pair || !scriptPath) return;
    if (!std::isfinite(strength)) {
        setLastError("IPLDisplacementBump: the strength is not a number");
        return;
    }
    const int32_t w = pair.width, h = pair.height;
    const uint64_t pixels = static_cast<uint64_t>(w) * static_cast<uint64_t>(h);
    OwnedBuffer<uint8_t> map = adoptBuffer(x_NewCharUndoReduce(pixels * 4));
    requireAllocated(map);
    if (!tiledBumpMap(scriptPath, map.get(), w, h)) return;
    OwnedBuffer<uint8_t> grey = adoptBuffer(x_NewCharUndoReduce(pixels));
    requireAllocated(grey);
    if (!IS3ImageToGrayScale8Bit(map.get(), w, h, 4, w * 4, grey.get(), w, 0)) return;
    map.reset();

    is5_ClearAllTransforms();
    const bool moved =
        is5_AddBumpMapDisplacementTransform(w, h, static_cast<float>(strength), grey.get(), w, h) &&
        is5_TransformProcess(pair.source, w, h, 4, w * 4, pair.destination, w * 4, kPremultipliedBilinear, background, 0);
    is5_ClearAllTransforms();
    if (!moved) {
        setLastError("IPLDisplacementBump: the displacement could not be run");
        return;
    }
    unpremultiplyRgba32(pair.destination, w, h);
    loadRGBA32(pair.destination, w * 4, true);
}

}  // namespace dro
