// Image files and the import buffer.
#include "drovane.h"
#include "exports/guarded.h"
#include "io/file_message.h"
#include "io/image_files.h"
#include "io/import_buffer.h"

using namespace dro;

extern "C" {

DRO_API int32_t DRO_CALL DRO_ReadFromFile(const char* path) {
    return guarded("ReadFromFile Excpt", 0, [&] { return readFromFile(path); });
}

DRO_API int32_t DRO_CALL DRO_ReadFromFileRAW(const char* path) {
    return guarded("ReadFromFileRAW Excpt", 0, [&] { return readFromFileRaw(path); });
}

DRO_API int32_t DRO_CALL DRO_ReadFromFileRGB24(uint8_t* destination, int32_t width, int32_t height,
                                               const char* path) {
    return guarded(kNoFailureText, 0, [&] { return readFromFileRgb24(destination, width, height, path); });
}

DRO_API int32_t DRO_CALL DRO_ReadFromFileRGBA32(uint8_t* destination, int32_t width, int32_t height,
                                                const char* path) {
    return guarded(kNoFailureText, 0, [&] { return readFromFileRgba32(destination, width, height, path); });
}

DRO_API int32_t DRO_CALL DRO_WriteToFileRGB24(const uint8_t* block, int32_t width, int32_t height, const char* path,
                                              const char* extension, int32_t dpi) {
    return guarded("WriteToFileRGB24 Excpt", 0,
                   [&] { return writeToFileRgb24(block, width, height, path, extension, dpi); });
}

DRO_API int32_t DRO_CALL DRO_WriteToFileRGBA32(const uint8_t* block, int32_t width, int32_t height, const char* path,
                                               const char* extension, int32_t dpi) {
    return guarded("WriteToFileRGBA32 Excpt", 0,
                   [&] { return writeToFileRgba32(block, width, height, path, extension, dpi); });
}

DRO_API void DRO_CALL DRO_SavePageToFileRGB24(const char* path, const char* extension, int32_t dpi) {
    guarded("DRO_SavePageToFileRGB24 Excpt", [&] { savePageToFileRgb24(path, extension, dpi); });
}

DRO_API void DRO_CALL DRO_SavePageToFileRGB32(const char* path, const char* extension, int32_t dpi) {
    guarded("DRO_SavePageToFileRGB32 Excpt", [&] { savePageToFileRgb32(path, extension, dpi); });
}

DRO_API int32_t DRO_CALL DRO_GetDPIFromFile(const char* path) {
    return guarded(kNoFailureText, 72, [&] { return dpiFromFile(path); });
}

DRO_API int32_t DRO_CALL DRO_GetWidthFromPNG(const char* path) {
    return guarded(kNoFailureText, 0, [&] { return pngWidth(path); });
}

DRO_API int32_t DRO_CALL DRO_GetHeightFromPNG(const char* path) {
    return guarded(kNoFailureText, 0, [&] { return pngHeight(path); });
}

DRO_API int32_t DRO_CALL DRO_MakeThumbnail(const char* source, const char* destination, int32_t edge) {
    guarded("MakeThumbnails Excpt", [&] { makeThumbnail(source, destination, edge); });
    return 0;
}

DRO_API int32_t DRO_CALL DRO_MakeWebPic(const char* source, const char* destination, int32_t maxWidth,
                                        int32_t maxHeight) {
    guarded("MakeWebPic Excpt", [&] { makeWebPicture(source, destination, maxWidth, maxHeight); });
    return 0;
}

DRO_API int32_t DRO_CALL DRO_GetNewRGBAWidth(void) { return importBuffer().width; }
DRO_API int32_t DRO_CALL DRO_GetNewRGBAHeight(void) { return importBuffer().height; }

DRO_API void DRO_CALL DRO_GetNewRGBA32(uint8_t* destination) {
    guarded(kNoFailureText, [&] { copyNewRgba32(destination); });
}

DRO_API void DRO_CALL DRO_GetNewRGBA24(uint8_t* destination) {
    guarded(kNoFailureText, [&] { copyNewRgb24(destination); });
}

DRO_API void DRO_CALL DRO_GetResizedNewRGBA24(uint8_t* destination, int32_t width, int32_t height) {
    guarded("GetResizedNewRGB24 Excpt", [&] { copyResizedNewRgb24(destination, width, height); });
}

DRO_API int32_t DRO_CALL DRO_IsNewRGBA32Transparent(void) { return newRgbaHasTransparency() ? 1 : 0; }

DRO_API void DRO_CALL DRO_SetInNewRGBA(void) {
    guarded(kNoFailureText, [&] { loadNewRgbaIntoCurrentLayer(); });
}

DRO_API void DRO_CALL DRO_DeleteNewRGBA(void) { deleteNewRgba(); }

DRO_API const char* DRO_CALL DRO_GetFileMessage(void) { return io::fileMessage(); }

}  // extern "C"
