// Texture and mask adjustment of host blocks.
#include "brush/mask_texture_adjust.h"
#include "drovane.h"

using namespace dro;

extern "C" {

DRO_API void DRO_CALL DRO_AdjustRGBA32RectByMaskAndTexture(uint8_t* block, int32_t left, int32_t top,
                                                           int32_t width, int32_t height) {
    adjustRGBA32RectByMaskAndTexture(block, left, top, width, height);
}

DRO_API void DRO_CALL DRO_AdjustRGBA32ByMaskAndTexture(uint8_t* block, int32_t width, int32_t height) {
    adjustRGBA32RectByMaskAndTexture(block, 0, 0, width, height);
}

}  // extern "C"
