// Paint layer and the fade of the last stroke.
#include "brush/fade.h"
#include "brush/paint_layer.h"
#include "composite/paint_layer_merge.h"
#include "drovane.h"
#include "exports/guarded.h"

using namespace dro;

extern "C" {

DRO_API int32_t DRO_CALL DRO_CreatePaintLayer(int32_t opacityPercent, int32_t secondPercent, const char* modeName) {
    return createPaintLayer(opacityPercent, secondPercent, modeName);
}

DRO_API void DRO_CALL DRO_ClearPaintLayer(void) { clearPaintLayer(); }
DRO_API void DRO_CALL DRO_ClearPaintLayer_old(void) { clearPaintLayerOld(); }
DRO_API void DRO_CALL DRO_DeletePaintLayer(void) { deletePaintLayer(); }

DRO_API void DRO_CALL DRO_SetPaintLayerExtents(int32_t minX, int32_t minY, int32_t maxX, int32_t maxY) {
    setPaintLayerExtents(minX, minY, maxX, maxY);
}

DRO_API void DRO_CALL DRO_SwapPaintLayer(int32_t layer) { swapPaintLayer(layer); }
DRO_API void DRO_CALL DRO_MergePaintLayer(int32_t layer) { mergePaintLayer(layer); }

DRO_API void DRO_CALL DRO_BlurPaintLayerAlpha(void) {
    guarded("BlurPaintLayerAlpha Excpt", [] { blurPaintLayerAlpha(); });
}

DRO_API void DRO_CALL DRO_StartFade(void) {
    guarded("StartFade Excpt", [] { startFade(); });
}

// The fade is shown by the host from the exchanged pixels; nothing to update or end.
DRO_API void DRO_CALL DRO_UpdateFade(int32_t) {}
DRO_API void DRO_CALL DRO_EndFade(void) {}

}  // extern "C"
