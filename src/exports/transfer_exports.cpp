// Pixel transfer and conversion between the host's blocks and the canvas.
#include "composite/layer_merge.h"
#include "core/canvas.h"
#include "core/fill.h"
#include "core/pixel_access.h"
#include "core/transfer_load.h"
#include "core/transfer_read.h"
#include "drovane.h"
#include "exports/guarded.h"

using namespace dro;

extern "C" {

DRO_API void DRO_CALL DRO_LoadRGBA32Layer(const uint8_t* block, int32_t pitch, int32_t layer, int32_t x,
                                          int32_t y, int32_t width, int32_t height, uint8_t useMask) {
    loadRGBA32Layer(block, pitch, layer, x, y, width, height, useMask != 0);
}

DRO_API void DRO_CALL DRO_LoadRGBA32Into(const uint8_t* block, int32_t pitch, int32_t layer, int32_t x,
                                         int32_t y, int32_t width, int32_t height) {
    loadRGBA32Layer(block, pitch, layer, x, y, width, height, true);
}

DRO_API void DRO_CALL DRO_LoadRGBA32(const uint8_t* block, int32_t pitch, uint8_t useMask) {
    loadRGBA32(block, pitch, useMask != 0);
}

DRO_API void DRO_CALL DRO_LoadRGB24(const uint8_t* block, int32_t pitch, uint8_t useMask) {
    loadRGB24(block, pitch, useMask != 0);
}

DRO_API void DRO_CALL DRO_LoadRGB24ToAlpha(const uint8_t* block, int32_t pitch, uint8_t useMask) {
    loadRGB24ToAlpha(block, pitch, useMask != 0);
}

DRO_API void DRO_CALL DRO_Load(const uint8_t* block, int32_t pitch, int32_t width, int32_t height) {
    loadBGR24(block, pitch, width, height);
}

DRO_API void DRO_CALL DRO_SetRGBA64Layer(const uint16_t* block, int32_t pitch, int32_t layer) {
    setRGBA64Layer(block, pitch, layer);
}

DRO_API void DRO_CALL DRO_GetRGBA32Layer(uint8_t* destination, int32_t pitch, int32_t layer) {
    getRGBA32Layer(destination, pitch, layer);
}

DRO_API void DRO_CALL DRO_GetRGBA32(uint8_t* destination, int32_t pitch) {
    getRGBA32Layer(destination, pitch, canvas().currentLayer);
}

DRO_API void DRO_CALL DRO_GetRGB24Layer(uint8_t* destination, int32_t pitch, int32_t layer) {
    getRGB24Layer(destination, pitch, layer);
}

DRO_API void DRO_CALL DRO_GetRGB24(uint8_t* destination, int32_t pitch) { getRGB24FromCurrent(destination, pitch); }

DRO_API void DRO_CALL DRO_GetRGB24FromAlpha(uint8_t* destination, int32_t pitch) {
    getRGB24FromAlpha(destination, pitch);
}

DRO_API void DRO_CALL DRO_GetRGBA64Layer(uint16_t* destination, int32_t pitch, int32_t layer) {
    getRGBA64Layer(destination, pitch, layer);
}

DRO_API void DRO_CALL DRO_GetRGBA64LayerRect(uint16_t* destination, int32_t destinationPitch, int32_t layer,
                                             int32_t x, int32_t y, int32_t width, int32_t height) {
    getRGBA64LayerRect(destination, destinationPitch, layer, x, y, width, height);
}

DRO_API void DRO_CALL DRO_RGBA64RectToRGBA32(const uint16_t* block, int32_t x, int32_t y, int32_t width,
                                             int32_t height, int32_t blockWidth, int32_t, uint8_t* destination) {
    rgba64RectToRGBA32(block, x, y, width, height, blockWidth, destination);
}

DRO_API void DRO_CALL DRO_RGBA64RectToRGBA24(const uint16_t* block, int32_t x, int32_t y, int32_t width,
                                             int32_t height, int32_t blockWidth, int32_t, uint8_t* destination) {
    rgba64RectToRGB24(block, x, y, width, height, blockWidth, destination);
}

DRO_API void DRO_CALL DRO_GetRGBA32FromRGBA64Rect(uint8_t* destination, int32_t destinationPitch,
                                                  const uint16_t* source, int32_t sourcePitch, int32_t, int32_t,
                                                  int32_t width, int32_t height) {
    rgba64ToRGBA32Rect(destination, destinationPitch, source, sourcePitch, width, height);
}

DRO_API void DRO_CALL DRO_GetRGB24FromRGBA64Rect(uint8_t* destination, int32_t destinationPitch,
                                                 const uint16_t* source, int32_t sourcePitch, int32_t, int32_t,
                                                 int32_t width, int32_t height) {
    rgba64ToRGB24Rect(destination, destinationPitch, source, sourcePitch, width, height);
}

DRO_API void DRO_CALL DRO_GetRGBA32FromRGBA64(uint8_t* destination, int32_t destinationPitch, int32_t width,
                                              int32_t height, const uint16_t* source, int32_t sourcePitch) {
    rgba64ToRGBA32Rect(destination, destinationPitch, source, sourcePitch, width, height);
}

DRO_API void DRO_CALL DRO_GetRGB24FromRGBA64(uint8_t* destination, int32_t destinationPitch,
                                             const uint16_t* source, int32_t sourcePitch) {
    rgba64ToRGB24Rect(destination, destinationPitch, source, sourcePitch, canvas().width, canvas().height);
}

DRO_API int32_t DRO_CALL DRO_GetRed64(int32_t x, int32_t y) { return currentChannelAt(x, y, 0); }
DRO_API int32_t DRO_CALL DRO_GetGreen64(int32_t x, int32_t y) { return currentChannelAt(x, y, 1); }
DRO_API int32_t DRO_CALL DRO_GetBlue64(int32_t x, int32_t y) { return currentChannelAt(x, y, 2); }
DRO_API int32_t DRO_CALL DRO_GetAlpha64(int32_t x, int32_t y) { return currentChannelAt(x, y, 3); }
DRO_API int32_t DRO_CALL DRO_GetMask64(int32_t x, int32_t y) { return invertedMaskAt(x, y); }

DRO_API void DRO_CALL DRO_SetPixelRGB24(uint8_t* block, int32_t pitch, int32_t x, int32_t y, int32_t red16,
                                        int32_t green16, int32_t blue16) {
    setPixelRGB24(block, pitch, x, y, red16, green16, blue16);
}

DRO_API uint32_t DRO_CALL DRO_GetColorAtMerged(int32_t x, int32_t y) {
    return guarded("DRO_GetColorAtMerged Excpt", 0u, [&] { return colorAtMerged(x, y); });
}

DRO_API void DRO_CALL DRO_Clear(int32_t red, int32_t green, int32_t blue, int32_t alpha) {
    clearCurrent(red, green, blue, alpha);
}

DRO_API void DRO_CALL DRO_ClearMasked(int32_t red, int32_t green, int32_t blue, int32_t alpha) {
    clearCurrentMasked(red, green, blue, alpha);
}

DRO_API void DRO_CALL DRO_ClearMaskedAlpha(int32_t red, int32_t green, int32_t blue, int32_t alpha) {
    guarded(kNoFailureText, [&] { clearCurrentMaskedAlpha(red, green, blue, alpha); });
}

DRO_API void DRO_CALL DRO_ClearRGBA64(uint16_t* block, int32_t pitch, int32_t red16, int32_t green16,
                                      int32_t blue16, int32_t alpha16) {
    clearRGBA64(block, pitch, red16, green16, blue16, alpha16);
}

DRO_API void DRO_CALL DRO_ClearRGBA32(uint8_t* block, int32_t pitch, int32_t red, int32_t green, int32_t blue,
                                      int32_t alpha) {
    clearRGBA32(block, pitch, canvas().width, canvas().height, red, green, blue, alpha);
}

DRO_API void DRO_CALL DRO_ClearRGBA32Buf(uint8_t* block, int32_t width, int32_t height, int32_t red,
                                         int32_t green, int32_t blue, int32_t alpha) {
    clearRGBA32(block, width > 0 && width <= INT32_MAX / 4 ? width * 4 : 0, width, height, red, green, blue, alpha);
}

DRO_API void DRO_CALL DRO_GetMaskData16(uint16_t* destination) { getMaskData16(destination); }

DRO_API void DRO_CALL DRO_SetMaskData16(const uint16_t* source) { setMaskData16(source); }

}  // extern "C"
