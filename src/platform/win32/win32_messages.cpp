// Message boxes, the Escape key and debugger output through Win32. A host (or a test)
// may take the message boxes over; without it the system's own modal box shows.
#include <windows.h>

#include "platform/host_hooks.h"
#include "platform/platform.h"

namespace dro::platform {

void messageBox(const char* text, const char* caption) noexcept {
    if (!text) text = "";
    if (!caption) caption = "";
    if (deliverToHostCallback(text, caption)) return;
    MessageBoxA(nullptr, text, caption, MB_OK);
}

// The low bit of GetAsyncKeyState: the key went down since the previous call. Both
// sources are read every time, so neither keeps an old press for a later query.
bool escapePressed() noexcept {
    const bool reported = takeReportedEscape();
    const bool keyboard = (GetAsyncKeyState(VK_ESCAPE) & 1) != 0;
    return reported || keyboard;
}

void debugOutput(const char* text) noexcept {
    if (text) OutputDebugStringA(text);
}

}  // namespace dro::platform
