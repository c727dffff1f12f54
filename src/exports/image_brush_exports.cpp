// Image brushes.
#include "io/image_brush_master.h"
#include "brush/image_brush_sized.h"
#include "drovane.h"
#include "exports/guarded.h"

using namespace dro;

extern "C" {

DRO_API void DRO_CALL DRO_FillImageBrush(int32_t red, int32_t green, int32_t blue) {
    guarded("FillImageBrush Excpt", [&] { fillImageBrush(red, green, blue); });
}
DRO_API void DRO_CALL DRO_ColorImageBrush(int32_t red, int32_t green, int32_t blue) {
    guarded("ColorImageBrush Excpt", [&] { colorImageBrush(red, green, blue); });
}
DRO_API void DRO_CALL DRO_CopyToImageBrush(void) {
    guarded("CopyToImageBrush Excpt", [] { copyToImageBrush(); });
}
DRO_API void DRO_CALL DRO_LoadImageBrush(const char* path) {
    guarded("LoadImageBrush Excpt", [&] { loadImageBrush(path); });
}
DRO_API void DRO_CALL DRO_LoadImageBrushFromRGBA32(const uint8_t* pixels, int32_t width, int32_t height) {
    guarded("LoadImageBrushFromRGBA32 Excpt", [&] { loadImageBrushFromRGBA32(pixels, width, height); });
}
DRO_API void DRO_CALL DRO_LoadImageBrushArray(const char* path) {
    guarded("LoadImageBrushArray Excpt", [&] { loadImageBrushArray(path); });
}
DRO_API void DRO_CALL DRO_CopyFromImageBrushArray(float position) {
    guarded(kNoFailureText, [&] { copyFromImageBrushArray(position); });
}
DRO_API void DRO_CALL DRO_SizeImageBrush(void) {
    guarded("SizeImageBrush Excpt", [] { sizeImageBrush(); });
}
DRO_API void DRO_CALL DRO_RotateImageBrush(int32_t angle) {
    guarded("RotateImageBrush Excpt", [&] { rotateImageBrush(angle); });
}
DRO_API void DRO_CALL DRO_CopyFromImageBrush(int32_t keepPercent) {
    guarded("SizeImageBrush Excpt", [&] { copyFromImageBrush(keepPercent); });
}
DRO_API void DRO_CALL DRO_CopyFromImageBrushRotate(int32_t keepPercent) {
    guarded(kNoFailureText, [&] { copyFromImageBrushRotate(keepPercent); });
}
DRO_API void DRO_CALL DRO_SaveImageBrush(const char* path) {
    guarded("SaveImageBrush Excpt", [&] { saveImageBrush(path); });
}

}  // extern "C"
