// Display render, view settings and window repainting.
#include "composite/render.h"
#include "drovane.h"
#include "exports/guarded.h"
#include "platform/window_redraw.h"

using namespace dro;

extern "C" {

DRO_API void DRO_CALL DRO_Render(uint8_t* out, int32_t stride, int32_t x, int32_t y, int32_t w, int32_t h) {
    render(out, stride, x, y, w, h);
}

DRO_API void DRO_CALL DRO_SetScale(int32_t zoom, float scale) { setScale(zoom, scale); }
DRO_API void DRO_CALL DRO_SetOffset(int32_t x, int32_t y) { setOffset(x, y); }
DRO_API void DRO_CALL DRO_SetViewSize(int32_t width, int32_t height) { setViewSize(width, height); }
DRO_API void DRO_CALL DRO_SetAOI(int32_t x0, int32_t y0, int32_t x1, int32_t y1) { setAreaOfInterest(x0, y0, x1, y1); }
DRO_API void DRO_CALL DRO_SetTracingMode(uint8_t mode) { setTracingMode(mode); }

// The host draws its own grid.
DRO_API void DRO_CALL DRO_SetGrid(uint32_t) {}
DRO_API void DRO_CALL DRO_SetGridSpacing(uint32_t) {}

DRO_API intptr_t DRO_CALL DRO_SetWindowRedraw(DRO_Window window, int32_t flag) {
    return setWindowRedraw(window, static_cast<uint8_t>(flag));
}

DRO_API int32_t DRO_CALL DRO_RedrawWindow(DRO_Window window) { return redrawWindow(window); }

}  // extern "C"
