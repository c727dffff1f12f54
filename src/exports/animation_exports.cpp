// AVI and GIF animations and PDF documents.
#include "drovane.h"
#include "exports/guarded.h"
#include "io/avi_writer.h"
#include "io/gif_animation.h"
#include "io/pdf_document.h"

using namespace dro;

extern "C" {

DRO_API void DRO_CALL DRO_CreateAVI(const char* path, int32_t periodMs) {
    guarded(kNoFailureText, [&] { io::createAvi(path, periodMs); });
}

DRO_API void DRO_CALL DRO_WriteAVI(const char* path) {
    guarded(kNoFailureText, [&] { io::writeAviBmp(path); });
}

DRO_API void DRO_CALL DRO_WriteAVI_RGB24(const uint8_t* block, int32_t width, int32_t height) {
    guarded(kNoFailureText, [&] { io::writeAviRgb24(block, width, height); });
}

DRO_API void DRO_CALL DRO_CloseAVI(void) {
    guarded(kNoFailureText, [] { io::closeAvi(); });
}

DRO_API int32_t DRO_CALL DRO_SetAVICompression(const char* handler, int32_t quality) {
    return io::setAviCompression(handler, quality) ? 1 : 0;
}

DRO_API int32_t DRO_CALL DRO_SetGIFOptions(int32_t quality, int32_t plays) {
    return io::setGifOptions(quality, plays) ? 1 : 0;
}

DRO_API int32_t DRO_CALL DRO_CreateGIF(const char* path, int32_t frameMs, const uint8_t* palette) {
    return guarded(kNoFailureText, frameMs / 10, [&] { return io::createGif(path, frameMs, palette); });
}

DRO_API void DRO_CALL DRO_WriteGIF_RGB24(const uint8_t* block, int32_t width, int32_t height) {
    guarded("WriteGIF_RGB24 Excpt", [&] { io::writeGifRgb24(block, width, height); });
}

DRO_API void DRO_CALL DRO_CloseGIF(void) {
    guarded(kNoFailureText, [] { io::closeGif(); });
}

DRO_API void DRO_CALL DRO_I2PDF_Reset(void) { io::resetPdfImages(); }

DRO_API void DRO_CALL DRO_I2PDF_AddImage(const char* path) {
    guarded(kNoFailureText, [&] { io::addPdfImage(path); });
}

DRO_API int32_t DRO_CALL DRO_I2PDF_MakePDF(const char* path) {
    return guarded(kNoFailureText, 0, [&] { return io::makePdf(path, false); });
}

DRO_API int32_t DRO_CALL DRO_I2PDF_MakePDFSlideshow(const char* path) {
    return guarded(kNoFailureText, 0, [&] { return io::makePdf(path, true); });
}

}  // extern "C"
