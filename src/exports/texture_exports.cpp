// Texture map, and the texture, mask and alpha adjustment of host blocks.
#include "brush/alpha_comp.h"
#include "core/mask_texture_adjust.h"
#include "core/texture_map.h"
#include "core/failure.h"
#include "drovane.h"
#include "exports/guarded.h"

using namespace dro;

extern "C" {

DRO_API void DRO_CALL DRO_CreateTexture(int32_t layer) {
    guarded("CreateTexture Excpt", [&] {
        if (!createTexture(layer)) throw AllocationFailure{};
    });
}

DRO_API void DRO_CALL DRO_DeleteTexture(void) { deleteTexture(); }

DRO_API void DRO_CALL DRO_AdjustRGBA32RectByMaskAndTexture(uint8_t* block, int32_t left, int32_t top,
                                                           int32_t width, int32_t height) {
    adjustRGBA32RectByMaskAndTexture(block, left, top, width, height);
}

DRO_API void DRO_CALL DRO_AdjustRGBA32ByMaskAndTexture(uint8_t* block, int32_t width, int32_t height) {
    adjustRGBA32RectByMaskAndTexture(block, 0, 0, width, height);
}

DRO_API void DRO_CALL DRO_AdjustRGBA32ForAlphaComp(uint8_t flag, uint8_t* block) {
    adjustRgba32ForAlphaComp(flag, block);
}

}  // extern "C"
