// Dabs and blend buffers.
#include "brush/blend_buffer_ops.h"
#include "brush/blend_buffers.h"
#include "brush/dab_render.h"
#include "drovane.h"
#include "exports/guarded.h"

using namespace dro;

extern "C" {

DRO_API void DRO_CALL DRO_DrawDabGrit(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b) {
    guarded(kNoFailureText, [&] { drawDabGrit(x, y, r, g, b); });
}

DRO_API void DRO_CALL DRO_DrawDabGritMask(int32_t x, int32_t y) {
    guarded(kNoFailureText, [&] { drawDabGritMask(x, y); });
}

DRO_API void DRO_CALL DRO_SetBlendBufferCount(int32_t count) {
    guarded("SetBlendBufferCount Excpt", [&] { setBlendBufferCount(count); });
}

DRO_API void DRO_CALL DRO_SelectBlendBuffer(int32_t index) { selectBlendBuffer(index); }
DRO_API void DRO_CALL DRO_ClearBlendBuffer(void) { clearBlendBuffer(); }
DRO_API void DRO_CALL DRO_FillBlendBuffer(int32_t a1, int32_t a2, int32_t a3, int32_t a4) {
    fillBlendBuffer(a1, a2, a3, a4);
}
DRO_API void DRO_CALL DRO_FilterBlendBuffer(int32_t kind, int32_t level) { filterBlendBuffer(kind, level); }

DRO_API void DRO_CALL DRO_DoCopyBlendBuffer(int32_t x, int32_t y, const uint16_t* source, int32_t colorShare,
                                            uint8_t keepColorOutside) {
    copyBlendBuffer(x, y, hostSource(source), colorShare, keepColorOutside);
}
DRO_API void DRO_CALL DRO_CopyBlendBufferSurface(int32_t x, int32_t y, int32_t colorShare, uint8_t keepColorOutside) {
    copyBlendBuffer(x, y, surfaceSource(), colorShare, keepColorOutside);
}
DRO_API void DRO_CALL DRO_CopyBlendBufferLayer(int32_t layer, int32_t x, int32_t y, int32_t colorShare) {
    copyBlendBuffer(x, y, layerSource(layer), colorShare, 0);
}
DRO_API void DRO_CALL DRO_CopyBlendBufferUnderLayer(int32_t x, int32_t y, int32_t colorShare) {
    copyBlendBuffer(x, y, underLayerSource(), colorShare, 0);
}
DRO_API void DRO_CALL DRO_CopyBlendBufferHistory(int32_t x, int32_t y, int32_t colorShare) {
    copyBlendBuffer(x, y, underLayerSource(), colorShare, 0);
}
DRO_API void DRO_CALL DRO_CopyBlendBufferTrace(int32_t x, int32_t y, int32_t colorShare) {
    copyBlendBuffer(x, y, traceSource(), colorShare, 0);
}
DRO_API void DRO_CALL DRO_DoCopyBlendBufferMask(int32_t x, int32_t y, int32_t colorShare) {
    copyBlendBufferMask(x, y, colorShare);
}

DRO_API void DRO_CALL DRO_DoMixBlendBuffer(int32_t x, int32_t y, const uint16_t* source, int32_t amount) {
    mixBlendBuffer(x, y, hostSource(source), amount);
}
DRO_API void DRO_CALL DRO_MixBlendBufferSurface(int32_t x, int32_t y, int32_t amount) {
    mixBlendBuffer(x, y, surfaceSource(), amount);
}
DRO_API void DRO_CALL DRO_MixBlendBufferLayer(int32_t layer, int32_t x, int32_t y, int32_t amount) {
    mixBlendBuffer(x, y, layerSource(layer), amount);
}
DRO_API void DRO_CALL DRO_MixBlendBufferUnderLayer(int32_t x, int32_t y, int32_t amount) {
    mixBlendBuffer(x, y, underLayerSource(), amount);
}
DRO_API void DRO_CALL DRO_MixBlendBufferHistory(int32_t x, int32_t y, int32_t amount) {
    mixBlendBuffer(x, y, underLayerSource(), amount);
}
DRO_API void DRO_CALL DRO_MixBlendBufferTrace(int32_t x, int32_t y, int32_t amount) {
    mixBlendBuffer(x, y, traceSource(), amount);
}

DRO_API void DRO_CALL DRO_DoColorBlendBuffer(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b, int32_t,
                                             int32_t amount) {
    colorBlendBuffer(x, y, r, g, b, amount);
}

DRO_API uint32_t DRO_CALL DRO_GetRGBAAt(int32_t x, int32_t y, const uint16_t* source) {
    return rgbaAt(hostSource(source), x, y);
}
DRO_API uint32_t DRO_CALL DRO_GetRGBAAtSurface(int32_t x, int32_t y) { return rgbaAt(surfaceSource(), x, y); }
DRO_API uint32_t DRO_CALL DRO_GetRGBAAtUnderLayer(int32_t x, int32_t y) { return rgbaAt(underLayerSource(), x, y); }
DRO_API uint32_t DRO_CALL DRO_GetRGBAAtTrace(int32_t x, int32_t y) { return rgbaAt(traceSource(), x, y); }
DRO_API uint32_t DRO_CALL DRO_GetRGBAAtLayer(int32_t x, int32_t y, int32_t layer) {
    return rgbaAt(layerSource(layer), x, y);
}

DRO_API uint32_t DRO_CALL DRO_GetColorAt(int32_t x, int32_t y, const uint16_t* source) {
    return colorAt(hostSource(source), x, y);
}
DRO_API uint32_t DRO_CALL DRO_GetColorAtSurface(int32_t x, int32_t y) { return colorAt(surfaceSource(), x, y); }
DRO_API uint32_t DRO_CALL DRO_GetColorAtUnderLayer(int32_t x, int32_t y) { return colorAt(underLayerSource(), x, y); }
DRO_API uint32_t DRO_CALL DRO_GetColorAtTrace(int32_t x, int32_t y) { return colorAt(traceSource(), x, y); }
DRO_API uint32_t DRO_CALL DRO_GetColorAtHistory(int32_t x, int32_t y) { return colorAt(historySource(), x, y); }
DRO_API uint32_t DRO_CALL DRO_GetColorAtLayer(int32_t x, int32_t y, int32_t layer) {
    return colorAt(layerSource(layer), x, y);
}

}  // extern "C"
