// Premultiply and unpremultiply of host blocks.
#include "brush/premultiply.h"
#include "drovane.h"

using namespace dro;

extern "C" {

DRO_API void DRO_CALL DRO_AdjustRGBA32PreFilter(uint8_t* block, int32_t width, int32_t height) {
    premultiplyRgba32(block, width, height);
}

DRO_API void DRO_CALL DRO_AdjustRGBA32PostFilter(uint8_t* block, int32_t width, int32_t height) {
    unpremultiplyRgba32(block, width, height);
}

DRO_API void DRO_CALL DRO_AdjustRGBA64PreFilter(uint16_t* block, int32_t width, int32_t height) {
    premultiplyRgba64(block, width, height);
}

DRO_API void DRO_CALL DRO_AdjustRGBA64PostFilter(uint16_t* block, int32_t width, int32_t height) {
    unpremultiplyRgba64(block, width, height);
}

}  // extern "C"
