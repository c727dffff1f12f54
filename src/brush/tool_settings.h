// The engine-wide record of the current tool. It lives for the whole process and
// survives the canvas being created or deleted.
#pragma once

#include <cstdint>

namespace dro {

struct ToolSettings {
    uint8_t maskMakerOn = 0;  // dabs paint into the mask until the tool changes
    uint8_t eraseModeOn = 0;  // one-shot: the next dab erases
};

ToolSettings& toolSettings() noexcept;
void resetToolSettings() noexcept;

}  // namespace dro
