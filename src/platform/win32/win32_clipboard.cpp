// The Windows clipboard (CF_DIB, no owner window) and screen capture through GDI. The
// host bridge of the Linux backend has no use here: the system clipboard is reachable.
#include <windows.h>

#include <cstring>

#include "platform/platform.h"

namespace dro::platform {

bool readClipboardDib(std::vector<uint8_t>& dib) {
    if (!OpenClipboard(nullptr)) return false;
    bool ok = false;
    if (HANDLE data = GetClipboardData(CF_DIB)) {
        const SIZE_T size = GlobalSize(data);
        if (const void* bytes = GlobalLock(data)) {
            dib.assign(static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + size);
            GlobalUnlock(data);
            ok = size > 0;
        }
    }
    CloseClipboard();
    return ok;
}

bool writeClipboardDib(const uint8_t* dib, std::size_t size) {
    if (!dib || size == 0) return false;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!block) return false;
    void* target = GlobalLock(block);
    if (!target) {
        GlobalFree(block);
        return false;
    }
    std::memcpy(target, dib, size);
    GlobalUnlock(block);
    bool taken = false;
    if (OpenClipboard(nullptr)) {
        taken = EmptyClipboard() && SetClipboardData(CF_DIB, block) != nullptr;
        CloseClipboard();
    }
    if (!taken) GlobalFree(block);  // otherwise the clipboard owns it
    return taken;
}

void setClipboardCallbacks(ClipboardGetCallback, ClipboardSetCallback, void*) noexcept {}

void resetClipboard() noexcept {}

bool captureScreen(int32_t& width, int32_t& height, std::vector<uint8_t>& rgba) {
    const int w = GetSystemMetrics(SM_CXSCREEN);
    const int h = GetSystemMetrics(SM_CYSCREEN);
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = memory ? CreateCompatibleBitmap(screen, w, h) : nullptr;
    bool ok = false;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY) != 0;
        SelectObject(memory, old);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;  // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        std::vector<uint8_t> bgra(static_cast<size_t>(w) * h * 4);
        ok = ok && GetDIBits(memory, bitmap, 0, static_cast<UINT>(h), bgra.data(), &info, DIB_RGB_COLORS) == h;
        if (ok) {
            rgba.resize(bgra.size());
            for (size_t i = 0; i < bgra.size(); i += 4) {
                rgba[i] = bgra[i + 2];
                rgba[i + 1] = bgra[i + 1];
                rgba[i + 2] = bgra[i];
                rgba[i + 3] = 255;
            }
            width = w;
            height = h;
        }
        DeleteObject(bitmap);
    }
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

}  // namespace dro::platform
