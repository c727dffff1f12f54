#include "core/blend_mode_table.h"

namespace dro {

int32_t BlendModeFromName(const char* name) noexcept {
    if (!name) return kModeNormal;
    const std::string_view wanted(name);
    for (const BlendModeEntry& entry : kBlendModes) {
        if (entry.name == wanted) return entry.id;
    }
    return kModeNormal;
}

}  // namespace dro
