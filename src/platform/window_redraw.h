// Repainting the host's window: switching its redraw on and off, and invalidating it
// whole (frame, children, background).
#pragma once

#include <cstdint>

namespace dro {

// Sends the window the redraw switch with the flag; returns the window's answer
// (0 where there is no window to ask).
intptr_t setWindowRedraw(void* window, uint8_t flag) noexcept;
// Invalidates the whole window with its frame and children, erasing the background;
// nonzero on success.
int32_t redrawWindow(void* window) noexcept;

}  // namespace dro
