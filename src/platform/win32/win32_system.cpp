// Memory status, the Windows directory, system colours and metrics, window placement
// and the desktop composition probe, each straight from the Win32 service.
#include <windows.h>

#include "platform/platform.h"

namespace dro::platform {

// Large pages need a privilege hosts do not hold; the hint is dropped.
void adviseLargeBlock(void*, std::size_t) noexcept {}

MemoryStatus memoryStatus() noexcept {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    MemoryStatus result;
    if (!GlobalMemoryStatusEx(&status)) return result;
    result.totalPhysical = status.ullTotalPhys;
    result.availPhysical = status.ullAvailPhys;
    result.totalPageFile = status.ullTotalPageFile;
    result.availPageFile = status.ullAvailPageFile;
    result.totalVirtual = status.ullTotalVirtual;
    result.availVirtual = status.ullAvailVirtual;
    return result;
}

// dwmapi.dll is looked up when asked, so the engine loads on systems without it.
bool compositionEnabled() noexcept {
    HMODULE dwm = LoadLibraryA("dwmapi.dll");
    if (!dwm) return false;
    using Probe = HRESULT(WINAPI*)(BOOL*);
    bool enabled = false;
    if (const auto probe = reinterpret_cast<Probe>(
            reinterpret_cast<void (*)()>(GetProcAddress(dwm, "DwmIsCompositionEnabled")))) {
        BOOL flag = FALSE;
        enabled = SUCCEEDED(probe(&flag)) && flag;
    }
    FreeLibrary(dwm);
    return enabled;
}

void systemDirectory(char* buffer, std::size_t capacity) noexcept {
    if (!buffer || capacity == 0) return;
    buffer[0] = '\0';
    const UINT length = GetWindowsDirectoryA(buffer, static_cast<UINT>(capacity));
    // Too small a buffer: the call reports the size it needs and leaves the buffer alone.
    if (length >= capacity) buffer[0] = '\0';
}

bool setWindowRestoredRect(void* window, int32_t left, int32_t top, int32_t right, int32_t bottom) noexcept {
    const HWND handle = static_cast<HWND>(window);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(handle, &placement)) return false;
    placement.rcNormalPosition = RECT{left, top, right, bottom};
    return SetWindowPlacement(handle, &placement) != 0;
}

uint32_t systemColor(SystemColor color) noexcept {
    switch (color) {
        case SystemColor::ButtonFace: return GetSysColor(COLOR_BTNFACE);
        case SystemColor::ButtonText: return GetSysColor(COLOR_BTNTEXT);
    }
    return 0;
}

int32_t systemMetric(SystemMetric metric) noexcept {
    switch (metric) {
        case SystemMetric::CaptionHeight: return GetSystemMetrics(SM_CYCAPTION);
        case SystemMetric::SmallCaptionHeight: return GetSystemMetrics(SM_CYSMCAPTION);
        case SystemMetric::DialogFrameHeight: return GetSystemMetrics(SM_CYDLGFRAME);
    }
    return 0;
}

char pathSeparator() noexcept { return '\\'; }

}  // namespace dro::platform
