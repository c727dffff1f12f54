#include "brush/tool_settings.h"

namespace dro {

ToolSettings& toolSettings() noexcept {
    static ToolSettings state;
    return state;
}

void resetToolSettings() noexcept { toolSettings() = ToolSettings{}; }

}  // namespace dro
