// The engine owns no window of the host here: the host's toolkit repaints its own
// windows, so neither request reaches a window and both report that.
#include "platform/window_redraw.h"

namespace dro {

intptr_t setWindowRedraw(void*, uint8_t) noexcept { return 0; }

int32_t redrawWindow(void*) noexcept { return 0; }

}  // namespace dro
