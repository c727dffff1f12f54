// Canvas and layer slots.
#include "core/canvas.h"
#include "engine/engine_lifecycle.h"
#include "core/layer_alpha.h"
#include "core/layers.h"
#include "core/rgba_blocks.h"
#include "drovane.h"
#include "exports/guarded.h"
#include "undo/layer_selection.h"

using namespace dro;

extern "C" {

DRO_API void DRO_CALL DRO_CreateImage(DRO_Window window, int32_t width, int32_t height, int32_t maxBrushSize,
                                      int32_t) {
    guarded("CreateImage Excpt", [&] { createImage(window, width, height, maxBrushSize); });
}

DRO_API void DRO_CALL DRO_NewSize(DRO_Window window, int32_t width, int32_t height, int32_t maxBrushSize,
                                  int32_t) {
    guarded("NewSize Excpt", [&] { newSize(window, width, height, maxBrushSize); });
}

DRO_API void DRO_CALL DRO_DeleteImage(void) {
    guarded("DeleteImage Excpt", [] { deleteImage(); });
}

DRO_API int32_t DRO_CALL DRO_CreateLayer(int32_t index, int32_t width, int32_t height) {
    return guarded("CreateLayer Excpt", 0, [&] { return createLayer(index, width, height) ? 1 : 0; });
}

DRO_API void DRO_CALL DRO_DeleteLayer(int32_t index) {
    guarded("DeleteLayer Excpt", [&] { deleteLayer(index); });
}

DRO_API void DRO_CALL DRO_SwapLayers(int32_t a, int32_t b) { swapLayers(a, b); }

DRO_API void DRO_CALL DRO_SetLayer(int32_t index) {
    guarded(kNoFailureText, [&] { setLayer(index); });
}

DRO_API int32_t DRO_CALL DRO_GetLayerNum(void) { return canvas().currentLayer; }

DRO_API int32_t DRO_CALL DRO_GetLayerCount(void) { return layerCount(); }

DRO_API void DRO_CALL DRO_SetLayerOptions(int32_t index, uint8_t visible, uint8_t alphaLocked,
                                          int32_t opacityPercent, const char* modeName) {
    guarded(kNoFailureText, [&] { setLayerOptions(index, visible, alphaLocked, opacityPercent, modeName); });
}

DRO_API void DRO_CALL DRO_SetAlphaLayerOpacity(int32_t percent) { setAlphaLayerOpacity(percent); }

DRO_API void DRO_CALL DRO_GetLayerData(uint16_t* destination, int32_t index) { getLayerData(destination, index); }

DRO_API void DRO_CALL DRO_SetLayerData(const uint16_t* source, int32_t index) { setLayerData(source, index); }

DRO_API void DRO_CALL DRO_CopyLayerData(int32_t sourceIndex, int32_t destinationIndex) {
    copyLayerData(sourceIndex, destinationIndex);
}

DRO_API void DRO_CALL DRO_FindDataExtentsLayer(int32_t index, int32_t* left, int32_t* top, int32_t* right,
                                               int32_t* bottom) {
    Rect extents;
    if (!findDataExtentsLayer(index, extents)) return;
    if (left) *left = extents.left;
    if (top) *top = extents.top;
    if (right) *right = extents.right;
    if (bottom) *bottom = extents.bottom;
}

DRO_API int32_t DRO_CALL DRO_IsLayerTransparent(int32_t index) { return isLayerTransparent(index) ? 1 : 0; }

DRO_API int32_t DRO_CALL DRO_IsSingleColor(int32_t index) { return isSingleColor(index) ? 1 : 0; }

DRO_API void DRO_CALL DRO_InvertAlpha(int32_t index) { invertAlpha(index); }

DRO_API void DRO_CALL DRO_SetLayerAlpha(int32_t index, int32_t alpha16) { setLayerAlpha(index, alpha16); }

DRO_API void DRO_CALL DRO_NormalizeLayerAlpha(int32_t index) { normalizeLayerAlpha(index); }

DRO_API void DRO_CALL DRO_SetColorAlpha(int32_t red, int32_t green, int32_t blue) {
    setColorAlpha(red, green, blue);
}

DRO_API void DRO_CALL DRO_CreateBlobFromImage(int32_t index, int32_t style) { createBlobFromImage(index, style); }

DRO_API void DRO_CALL DRO_InvertAlpha_RGBA32(uint8_t* block) { invertAlphaRGBA32(block); }

DRO_API void DRO_CALL DRO_SetColorAlphaRGBABuf(uint8_t* block, int32_t width, int32_t height, int32_t red,
                                               int32_t green, int32_t blue) {
    setColorOfTransparentRGBA32(block, width, height, red, green, blue);
}

DRO_API void DRO_CALL DRO_SetColorRGBABuf(uint8_t* block, int32_t width, int32_t height, int32_t red,
                                          int32_t green, int32_t blue) {
    setColorRGBA32(block, width, height, red, green, blue);
}

DRO_API void DRO_CALL DRO_SetAlphaFromRGBAImageColor(uint8_t* block, int32_t red, int32_t green, int32_t blue) {
    clearAlphaOfColorRGBA32(block, red, green, blue);
}

}  // extern "C"
