// Tablet input and stroke geometry.
#include "imaging/point_warp.h"
#include "brush/stroke_spline.h"
#include "brush/tablet.h"
#include "drovane.h"
#include "exports/guarded.h"

using namespace dro;

extern "C" {

DRO_API int32_t DRO_CALL DRO_InitTablet(void* window) { return initTablet(window); }
DRO_API void DRO_CALL DRO_SetTabletOrigin(void) { setTabletOrigin(); }
DRO_API void DRO_CALL DRO_CloseTablet(void) { closeTabletContext(); }
DRO_API void DRO_CALL DRO_ResetTabletPressure(void) { resetTabletPressure(); }
DRO_API void DRO_CALL DRO_ReadTabletPackets(void) { readTabletPackets(); }
DRO_API int32_t DRO_CALL DRO_ReadTabletPressure(int32_t index) { return readTabletPressure(index); }
DRO_API int32_t DRO_CALL DRO_ReadRawTabletPressure(int32_t index) { return readRawTabletPressure(index); }
DRO_API int32_t DRO_CALL DRO_IsPacketInvert(int32_t index) { return isPacketInvert(index); }
DRO_API int32_t DRO_CALL DRO_PacketStatus(int32_t index) { return packetStatus(index); }
DRO_API int32_t DRO_CALL DRO_ReadTabletX(int32_t index) { return readTabletX(index); }
DRO_API int32_t DRO_CALL DRO_ReadTabletY(int32_t index) { return readTabletY(index); }

DRO_API void DRO_CALL DRO_CalcSpline3(uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1, uint32_t x2, uint32_t y2,
                                      int32_t /*unused*/) {
    calcSpline3(x0, y0, x1, y1, x2, y2);
}
DRO_API int32_t DRO_CALL DRO_GetSplinePointCount(void) { return strokeSpline().count; }
DRO_API int32_t DRO_CALL DRO_GetSplinePointX(int32_t index) { return splinePointX(index); }
DRO_API int32_t DRO_CALL DRO_GetSplinePointY(int32_t index) { return splinePointY(index); }

DRO_API void DRO_CALL DRO_WarpPointToPoint(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    guarded(kNoFailureText, [&] { warpPointToPoint(x0, y0, x1, y1); });
}

}  // extern "C"
