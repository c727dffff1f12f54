// Blend modes and merges.
#include "composite/layer_merge.h"
#include "composite/merge_pixel.h"
#include "core/canvas.h"
#include "drovane.h"
#include "exports/guarded.h"

using namespace dro;

extern "C" {

DRO_API void DRO_CALL DRO_MergePixel(uint32_t* dR, uint32_t* dG, uint32_t* dB, uint32_t* dA, uint32_t sR,
                                     uint32_t sG, uint32_t sB, uint32_t sA, int32_t mode, int32_t opacity,
                                     uint8_t alphaLock) {
    if (!dR || !dG || !dB || !dA) return;
    mergePixel(*dR, *dG, *dB, *dA, sR, sG, sB, sA, mode, opacity, alphaLock != 0);
}

DRO_API void DRO_CALL DRO_MergeLayer(int32_t sourceLayer, int32_t destinationLayer) {
    mergeLayer(sourceLayer, destinationLayer);
}

DRO_API void DRO_CALL DRO_MergeLayerIntoRect(int32_t layer, uint16_t* buffer, int32_t x, int32_t y, int32_t width,
                                             int32_t height) {
    mergeLayerIntoRect(layer, buffer, x, y, width, height);
}

DRO_API void DRO_CALL DRO_MergeLayerInto(int32_t layer, uint16_t* buffer) {
    mergeLayerIntoRect(layer, buffer, 0, 0, canvas().width, canvas().height);
}

DRO_API void DRO_CALL DRO_MergeRect(uint16_t* buffer, int32_t x, int32_t y, int32_t width, int32_t height) {
    mergeRect(buffer, x, y, width, height);
}

DRO_API void DRO_CALL DRO_Merge(uint16_t* buffer) { mergeRect(buffer, 0, 0, canvas().width, canvas().height); }

DRO_API void DRO_CALL DRO_MergeRGBA32Layer(const uint8_t* data, int32_t layer, int32_t mode, int32_t opacity) {
    guarded("DRO_MergeRGBA32Layer Excpt", [&] { mergeRGBA32Layer(data, layer, mode, opacity); });
}

}  // extern "C"
