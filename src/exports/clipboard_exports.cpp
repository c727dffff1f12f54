// Clipboard and screen capture.
#include "drovane.h"
#include "exports/guarded.h"
#include "io/clip_cache.h"
#include "io/clipboard.h"
#include "platform/platform.h"

using namespace dro;

namespace {

// The host's callbacks use the export calling convention; the platform's do not.
struct HostClipboard {
    DRO_ClipboardGetDib get = nullptr;
    DRO_ClipboardSetDib set = nullptr;
    void* user = nullptr;
};
HostClipboard gHostClipboard;

int32_t forwardGet(uint8_t* buffer, int32_t capacity, void*) {
    return gHostClipboard.get(buffer, capacity, gHostClipboard.user);
}
int32_t forwardSet(const uint8_t* dib, int32_t size, void*) {
    return gHostClipboard.set(dib, size, gHostClipboard.user);
}

}  // namespace

extern "C" {

DRO_API void DRO_CALL DRO_ToClipboard(void) {
    guarded(kNoFailureText, [] { io::toClipboard(); });
}

DRO_API void DRO_CALL DRO_ToClipboardRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    guarded("ToClipBoardRect Excpt", [&] { io::toClipboardRect(x0, y0, x1, y1); });
}

DRO_API void DRO_CALL DRO_RGBA32ToClipboardRect(const uint8_t* block, int32_t x, int32_t y, int32_t width,
                                                int32_t height, uint8_t applyMask) {
    guarded(kNoFailureText, [&] { io::rgba32ToClipboardRect(block, x, y, width, height, applyMask != 0); });
}

DRO_API int32_t DRO_CALL DRO_FromClipboard(void) {
    return guarded("FromClipBoard Excpt", 0, [] { return io::fromClipboard(); });
}

DRO_API int32_t DRO_CALL DRO_FromClipboardInto(int32_t x, int32_t y, int32_t centre) {
    return guarded("FromClipBoardInto Excpt", 0, [&] { return io::fromClipboardInto(x, y, centre); });
}

DRO_API int32_t DRO_CALL DRO_FromClipboardIntoEX2(int32_t x, int32_t y, int32_t size, int32_t angle, int32_t centre,
                                                  int32_t filtered, int32_t opacity) {
    guarded("FromClipBoardIntoEX Excpt",
            [&] { io::fromClipboardIntoTransformed(x, y, size, angle, centre, filtered, opacity); });
    return 0;
}

DRO_API void DRO_CALL DRO_ClearClipEX2Cache(void) {
    guarded("ClearClipEX2Cache Excpt", [] { io::clearClipCache(); });
}

DRO_API void DRO_CALL DRO_ClipboardFlip(int32_t direction) {
    guarded("ClipBoardHFlip Excpt", [&] { io::clipboardFlip(direction); });
}

DRO_API int32_t DRO_CALL DRO_FromClipboardToFile(const char* path, const char* extension, int32_t dpi) {
    return guarded(kNoFailureText, 0, [&] { return io::fromClipboardToFile(path, extension, dpi); });
}

DRO_API void DRO_CALL DRO_ToClipboardFromFile(const char* path) {
    guarded(kNoFailureText, [&] { io::toClipboardFromFile(path); });
}

DRO_API void DRO_CALL DRO_FromClipboardToImageBrush(int32_t size) {
    guarded("FromClipBoardToImageBrush Excpt", [&] { io::fromClipboardToImageBrush(size); });
}

DRO_API void DRO_CALL DRO_FromClipboardToImageBrushFile(const char* path, int32_t size) {
    guarded("DRO_FromClipboardToImageBrushFile Excpt", [&] { io::fromClipboardToImageBrushFile(path, size); });
}

DRO_API void DRO_CALL DRO_FromClipboardToShapeFile(const char* path, int32_t size, int32_t angle) {
    guarded("DRO_FromClipboardToShapeFile Excpt", [&] { io::fromClipboardToShapeFile(path, size, angle); });
}

DRO_API int32_t DRO_CALL DRO_ScreenCapture(void) {
    return guarded("ScreenCapture Excpt", 0, [] { return io::screenCapture(); });
}

DRO_API int32_t DRO_CALL DRO_ScreenCaptureInto(void) {
    return guarded("ScreenCaptureInto Excpt", 0, [] { return io::screenCaptureInto(); });
}

DRO_API void DRO_CALL DRO_SetClipboardCallbacks(DRO_ClipboardGetDib get, DRO_ClipboardSetDib set, void* user) {
    gHostClipboard = {get, set, user};
    platform::setClipboardCallbacks(get ? forwardGet : nullptr, set ? forwardSet : nullptr, nullptr);
}

}  // extern "C"
