// The two font descriptions of the text tools and how they are chosen.
#pragma once

#include <cstdint>

#include "core/subsystem_state.h"
#include "platform/platform.h"

namespace dro {

struct FontState {
    platform::FontFace textFont;       // DRO_IPLText
    platform::FontFace textBrushFont;  // DRO_BuildTextBrushClips
    platform::FontFace hostChoice;     // DRO_SetFontFace; empty name: none
};

inline FontState& fontState() noexcept { return subsystemState<FontState>(); }
inline void resetFontState() noexcept { resetSubsystemState<FontState>(); }

// The font dialog for one description: nonzero when a font was chosen. A dialog error
// is reported in the last-error text, the description cleared and the dialog shown
// once more with default settings.
int32_t chooseFontFor(platform::FontFace& description);

// face null forgets the host's choice; the name is cut to fit the description.
void setHostFontFace(const char* face, int32_t pixelHeight, int32_t weight, uint8_t italic) noexcept;

}  // namespace dro
