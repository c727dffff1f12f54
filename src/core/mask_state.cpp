#include "core/mask_state.h"

namespace dro {

const uint16_t* activeMask() noexcept {
    const MaskState& m = maskState();
    return m.enabled ? m.plane.get() : nullptr;
}

}  // namespace dro
