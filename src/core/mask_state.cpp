#include "core/mask_state.h"

namespace dro {

MaskState& maskState() noexcept {
    static MaskState state;
    return state;
}

void resetMaskState() noexcept { maskState() = MaskState{}; }

const uint16_t* activeMask() noexcept {
    const MaskState& m = maskState();
    return m.enabled ? m.plane.get() : nullptr;
}

}  // namespace dro
