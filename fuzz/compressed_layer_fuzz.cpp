// A compressed layer from a host document: corrupt or mis-sized streams load nothing
// and never write outside the layer.
#include <cstddef>
#include <cstdint>

#include "engine/engine_lifecycle.h"
#include "drovane.h"

namespace {

bool openCanvasOnce() {
    DRO_CreateImage(nullptr, 24, 16, 8, 0);
    DRO_CreateLayer(1, 24, 16);
    DRO_CreateLayer(2, 24, 16);
    DRO_SetLayerOptions(2, 1, 0, 100, "Normal");
    DRO_SetLayer(2);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = openCanvasOnce();
    (void)ready;
    if (size > (1u << 20)) return 0;
    const int32_t layer = size > 0 && (data[0] & 1) ? 1 : 2;
    DRO_LoadRGBA32LayerCompressed(data, 0, static_cast<int32_t>(size), layer);
    static uint8_t out[24 * 16 * 4 + 1024];
    DRO_GetRGBA32LayerCompressed(out, 0, sizeof out, layer, 1);
    return 0;
}
