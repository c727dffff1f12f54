// Tool settings, brush shapes and grain.
#include "brush/brush_shape.h"
#include "brush/tool_settings.h"
#include "drovane.h"
#include "exports/guarded.h"

using namespace dro;

extern "C" {

DRO_API void DRO_CALL DRO_SetColor(int32_t red, int32_t green, int32_t blue) { setToolColor(red, green, blue); }
DRO_API void DRO_CALL DRO_SetColor16(int32_t red, int32_t green, int32_t blue) {
    setToolColor16(red, green, blue);
}

DRO_API void DRO_CALL DRO_SetColorBanks(int32_t r0, int32_t g0, int32_t b0, int32_t r1, int32_t g1, int32_t b1,
                                        int32_t r2, int32_t g2, int32_t b2, int32_t r3, int32_t g3, int32_t b3) {
    setColorBanks({r0, g0, b0, r1, g1, b1, r2, g2, b2, r3, g3, b3});
}

DRO_API void DRO_CALL DRO_SetShapeBlur(int32_t value) { toolSettings().shapeBlur = value; }
DRO_API void DRO_CALL DRO_SetBlendStrength(int32_t value) { setBlendStrength(value); }
DRO_API void DRO_CALL DRO_SetBlendPrimaryColorStrength(int32_t value) { setBlendPrimaryColorStrength(value); }
DRO_API void DRO_CALL DRO_SetBlendRemix(int32_t flag) { toolSettings().blendRemix = static_cast<uint8_t>(flag); }
DRO_API void DRO_CALL DRO_SetDensity(int32_t value) { setDensity(value); }
DRO_API void DRO_CALL DRO_SetAlpha(int32_t percent) { setToolAlpha(percent); }
DRO_API void DRO_CALL DRO_SetColorVary(int32_t value) { toolSettings().colorVary = value; }
DRO_API void DRO_CALL DRO_SetAlphaLocked(int32_t flag) { toolSettings().toolAlphaLocked = flag; }
DRO_API void DRO_CALL DRO_SetColorLocked(int32_t flag) { toolSettings().colorLocked = flag; }
DRO_API void DRO_CALL DRO_SetBlobLocked(int32_t flag) { toolSettings().blobLocked = flag; }
DRO_API void DRO_CALL DRO_SetAlphaLevel(int32_t value) { toolSettings().alphaLevel = value; }
DRO_API void DRO_CALL DRO_SetImageBrushMode(int32_t flag) { toolSettings().imageBrushMode = flag; }
DRO_API void DRO_CALL DRO_SetSolidBrushMode(int32_t flag) { toolSettings().solidBrushMode = flag; }
DRO_API void DRO_CALL DRO_SetRotateBrushMode(int32_t mode, int32_t degrees) { setRotateBrushMode(mode, degrees); }
DRO_API void DRO_CALL DRO_SetSize(int32_t size) { setBrushSize(size); }
DRO_API void DRO_CALL DRO_SetScaleSize(int32_t size) { setScaleSize(size); }
DRO_API void DRO_CALL DRO_SetPixColorVary(int32_t value) {
    guarded(kNoFailureText, [&] { setPixColorVary(value); });
}
DRO_API void DRO_CALL DRO_SetPixLumVary(int32_t value) {
    guarded(kNoFailureText, [&] { setPixLumVary(value); });
}
DRO_API void DRO_CALL DRO_SetMixMode(int32_t mode, int32_t amount) { setMixMode(mode, amount); }
DRO_API void DRO_CALL DRO_DecDrawingLength(void) { decDrawingLength(); }
DRO_API void DRO_CALL DRO_TempDisableBlend(void) { toolSettings().tempDisableBlend = 1; }

DRO_API void DRO_CALL DRO_SetTool(float shapeGain, int32_t grainCellSize, int32_t grainCellThreshold,
                                  int32_t grainFillThreshold, int32_t edgeSoftness, int32_t colorVary,
                                  int32_t grainInterval, int32_t blendStrength, int32_t blendPrimaryColorStrength,
                                  int32_t blendRemix, int32_t unused11, int32_t invertShape, int32_t unused13,
                                  const char* grainSource, const char* shapeSource, int32_t shapeParam) {
    guarded("SetTool Excpt", [&] {
        setTool({shapeGain, grainCellSize, grainCellThreshold, grainFillThreshold, edgeSoftness, colorVary,
                 grainInterval, blendStrength, blendPrimaryColorStrength, blendRemix, unused11, invertShape,
                 unused13, grainSource, shapeSource, shapeParam});
    });
}

DRO_API void DRO_CALL DRO_SetBrushShape(const char* path, int32_t shapeParam) {
    guarded("SetBrushShape Excpt", [&] { setBrushShape(path, shapeParam); });
}

DRO_API void DRO_CALL DRO_SetBrushShape_ORIGINAL(const char* path, int32_t shapeParam) {
    guarded("SetBrushShape Excpt", [&] { setBrushShapeOriginal(path, shapeParam); });
}

DRO_API void DRO_CALL DRO_UnloadBrushShape(void) {
    guarded("DRO_UnloadBrushShape Excpt", [&] { unloadBrushShape(); });
}

}  // extern "C"
