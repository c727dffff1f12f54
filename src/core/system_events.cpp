#include "core/system_events.h"

#include "core/frame_state.h"

namespace dro {

bool onSystemMessage(uint32_t message, uintptr_t wParam) noexcept {
    bool changed = false;
    switch (message) {
        case kMsgSettingChange:
        case kMsgUserChanged:
        case kMsgDisplayChange:
            changed = true;
            break;
        case kMsgActivateApp:
        case kMsgPowerBroadcast:
            changed = wParam == 1 || wParam == 7;
            break;
        default:
            break;
    }
    if (changed) frameState().displayChanged = 1;
    return changed;
}

bool takeDisplayChanged() noexcept {
    FrameState& f = frameState();
    if (!f.displayChanged) return false;
    f.displayChanged = 0;
    return true;
}

}  // namespace dro
