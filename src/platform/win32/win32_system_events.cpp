// The hidden window through which broadcast system messages (display, settings, power)
// reach the engine. It is created on the thread that loads the library and runs when
// that thread dispatches messages, so the flag it raises is read on the same thread.
#include <windows.h>

#include <atomic>

#include "platform/platform.h"
#include "platform/win32/win32_module.h"

namespace dro::platform {
namespace {

constexpr char kClassName[] = "Kestrabble DLL window";
constexpr char kWindowTitle[] = "KS Internal WND";

std::atomic<SystemMessageHandler> gHandler{nullptr};

LRESULT CALLBACK systemEventProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY: PostQuitMessage(0); return 0;
        case WM_CLOSE: DestroyWindow(window); return 0;
        default:
            if (const SystemMessageHandler handler = gHandler.load()) handler(message, static_cast<uintptr_t>(wParam));
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void startSystemEventWindow(SystemMessageHandler handler) noexcept {
    static std::atomic<bool> started{false};
    gHandler.store(handler);
    if (started.exchange(true)) return;
    const HINSTANCE instance = thisModule();
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = systemEventProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kClassName;
    // A failed registration shows as a failed creation; the engine works on without it.
    RegisterClassA(&windowClass);
    CreateWindowExA(0, kClassName, kWindowTitle, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    nullptr, nullptr, instance, nullptr);
}

}  // namespace dro::platform
