#include <windows.h>

#include "platform/window_redraw.h"

namespace dro {

intptr_t setWindowRedraw(void* window, uint8_t flag) noexcept {
    return static_cast<intptr_t>(SendMessageW(static_cast<HWND>(window), WM_SETREDRAW, flag, 0));
}

int32_t redrawWindow(void* window) noexcept {
    return RedrawWindow(static_cast<HWND>(window), nullptr, nullptr,
                        RDW_FRAME | RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE);
}

}  // namespace dro
