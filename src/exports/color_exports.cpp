// Hue, saturation and lightness or value shifts of host blocks.
#include "drovane.h"
#include "imaging/color/buffer_adjust.h"

using namespace dro;

extern "C" {

DRO_API void DRO_CALL DRO_ProcessBuffer_HSLAdjust(uint8_t* block, int32_t width, int32_t height, int32_t hueShift,
                                                  int32_t saturationShift, int32_t lightnessShift) {
    processBufferHslAdjust(block, width, height, hueShift, saturationShift, lightnessShift);
}

DRO_API void DRO_CALL DRO_ProcessBuffer_HSVAdjust(uint8_t* block, int32_t width, int32_t height, int32_t hueShift,
                                                  int32_t saturationShift, int32_t valueShift) {
    processBufferHsvAdjust(block, width, height, hueShift, saturationShift, valueShift);
}

}  // extern "C"
