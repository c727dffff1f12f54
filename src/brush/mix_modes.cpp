#include "brush/mix_modes.h"

namespace dro::mix {

Outcome applyMixMode(int32_t mode, const Rgb& s, const Rgb& d, Rgb& c, const Context& x) noexcept {
    switch (mode) {
#define DRO_MIX_CASE(id, name) \
    case id:                   \
        return name::apply(s, d, c, x);
        DRO_MIX_MODE_LIST(DRO_MIX_CASE)
#undef DRO_MIX_CASE
        default:
            return Plain::apply(s, d, c, x);
    }
}

}  // namespace dro::mix
