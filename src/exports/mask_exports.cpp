// Mask.
#include "drovane.h"
#include "mask/mask_builders.h"
#include "mask/mask_combine.h"
#include "mask/mask_conversions.h"
#include "mask/mask_switches.h"
#include "mask/mask_to_image.h"
#include "mask/mask_whole.h"

using namespace dro;

extern "C" {

DRO_API void DRO_CALL DRO_EnableMask(uint8_t flag) { enableMask(flag); }
DRO_API void DRO_CALL DRO_DisplayMask(uint8_t flag) { displayMask(flag); }

DRO_API void DRO_CALL DRO_SetMaskOptions(int32_t r1, int32_t g1, int32_t b1, int32_t r2, int32_t g2, int32_t b2,
                                         int32_t fullRange) {
    setMaskOptions(r1, g1, b1, r2, g2, b2, fullRange);
}

DRO_API void DRO_CALL DRO_SetMaskMakerOn(void) { setMaskMakerOn(); }
DRO_API void DRO_CALL DRO_SetEraseModeOn(void) { setEraseModeOn(); }

DRO_API void DRO_CALL DRO_InvertMask(void) { invertMask(); }
DRO_API void DRO_CALL DRO_ClearMask(int32_t red, int32_t green, int32_t blue) { clearMask(red, green, blue); }
DRO_API void DRO_CALL DRO_SaveMask(uint8_t* out, int32_t stride) { saveMask(out, stride); }

DRO_API void DRO_CALL DRO_LoadMask(const uint8_t* data, int32_t stride, int32_t width, int32_t height) {
    loadMask(data, stride, width, height);
}

DRO_API void DRO_CALL DRO_CombineMask(const uint8_t* data, int32_t stride, uint8_t black, int32_t amount,
                                      const char* operation) {
    combineMask(data, stride, black, amount, operation);
}

DRO_API void DRO_CALL DRO_CreateMaskFromImage(void) { createMaskFromImage(); }
DRO_API void DRO_CALL DRO_CreateMaskFromImageLuma(void) { createMaskFromImageLuma(); }
DRO_API void DRO_CALL DRO_CreateMaskFromAlpha(void) { createMaskFromAlpha(); }

DRO_API void DRO_CALL DRO_CreateMaskFromDiff_RGBA32(const uint8_t* a, const uint8_t* b, int32_t value) {
    createMaskFromDiffRGBA32(a, b, value);
}

DRO_API void DRO_CALL DRO_CreateMaskFromFloodMask(const uint8_t* map, int32_t amount) {
    createMaskFromFloodMask(map, amount);
}

DRO_API void DRO_CALL DRO_CreateMaskFromRGBAImageColor(const uint8_t* data, int32_t red, int32_t green,
                                                       int32_t blue, int32_t amount) {
    createMaskFromRGBAImageColor(data, red, green, blue, amount);
}

DRO_API void DRO_CALL DRO_CreateMaskFromRGB24ImageColor(const uint8_t* data, int32_t red, int32_t green,
                                                        int32_t blue, int32_t amount) {
    createMaskFromRGB24ImageColor(data, red, green, blue, amount);
}

DRO_API void DRO_CALL DRO_CreateMaskFromRGBAImageColorRange(const uint8_t* data, int32_t red, int32_t green,
                                                            int32_t blue, int32_t tolerance, int32_t amount) {
    createMaskFromRGBAImageColorRange(data, red, green, blue, tolerance, amount);
}

DRO_API void DRO_CALL DRO_CreateMaskFromRGBAImageAlphaRange(const uint8_t* data, int32_t alpha, int32_t tolerance,
                                                            int32_t amount) {
    createMaskFromRGBAImageAlphaRange(data, alpha, tolerance, amount);
}

DRO_API void DRO_CALL DRO_CreateMaskFromRGBAImageLuminanceRange(const uint8_t* data, int32_t red, int32_t green,
                                                                int32_t blue, int32_t tolerance, int32_t amount) {
    createMaskFromRGBAImageLuminanceRange(data, red, green, blue, tolerance, amount);
}

DRO_API void DRO_CALL DRO_CreateMaskFromRGBAImageHueRange(const uint8_t* data, int32_t red, int32_t green,
                                                          int32_t blue, int32_t tolerance, int32_t amount) {
    createMaskFromRGBAImageHueRange(data, red, green, blue, tolerance, amount);
}

DRO_API void DRO_CALL DRO_CreateMaskFromRGBAImageHSLRange(const uint8_t* data, int32_t red, int32_t green,
                                                          int32_t blue, double hueTolerance,
                                                          double saturationTolerance, double lightnessTolerance,
                                                          int32_t amount) {
    createMaskFromRGBAImageHSLRange(data, red, green, blue, hueTolerance, saturationTolerance, lightnessTolerance,
                                    amount);
}

DRO_API void DRO_CALL DRO_CreateImageFromMask(void) { createImageFromMask(); }
DRO_API void DRO_CALL DRO_CreateAlphaFromMask(int32_t kind) { createAlphaFromMask(kind); }

DRO_API void DRO_CALL DRO_ApplyMaskToAlphaRect_RGBA32(uint8_t* data, int32_t stride, int32_t x0, int32_t y0,
                                                      int32_t x1, int32_t y1) {
    applyMaskToAlphaRectRGBA32(data, stride, x0, y0, x1, y1);
}

DRO_API void DRO_CALL DRO_ApplyMaskToAlpha_RGBA32(uint8_t* data) { applyMaskToAlphaRGBA32(data); }

DRO_API void DRO_CALL DRO_ColorRGBA32FromFloodMask(uint8_t* out, const uint8_t* map, int32_t red, int32_t green,
                                                   int32_t blue, int32_t alpha) {
    colorRGBA32FromFloodMask(out, map, red, green, blue, alpha);
}

DRO_API void DRO_CALL DRO_ReplaceFromRGBAImageAlphaRange(uint8_t* data, int32_t alpha, int32_t tolerance,
                                                         int32_t red, int32_t green, int32_t blue,
                                                         int32_t newAlpha) {
    replaceFromRGBAImageAlphaRange(data, alpha, tolerance, red, green, blue, newAlpha);
}

DRO_API void DRO_CALL DRO_RGBAlphaToRGB(uint8_t* out, int32_t width, int32_t height, const uint8_t* in) {
    rgbAlphaToRgb(out, width, height, in);
}

DRO_API void DRO_CALL DRO_RGBToRGBAlpha(uint8_t* out, int32_t width, int32_t height, const uint8_t* in) {
    rgbToRgbAlpha(out, width, height, in);
}

DRO_API void DRO_CALL DRO_RGBToRGBA(uint8_t* out, int32_t width, int32_t height, const uint8_t* in) {
    rgbToRgba(out, width, height, in);
}

DRO_API void DRO_CALL DRO_RGBAToRGB(uint8_t* out, int32_t width, int32_t height, const uint8_t* in) {
    rgbaToRgb(out, width, height, in);
}

}  // extern "C"
