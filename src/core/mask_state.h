// The selection mask: one G16 weight per canvas pixel (65535 editable, 0 protected)
// and the switches that put it in force and on display.
#pragma once

#include <array>
#include <cstdint>

#include "core/owned_buffer.h"
#include "core/subsystem_state.h"

namespace dro {

struct MaskState {
    OwnedBuffer<uint16_t> plane;  // canvasWidth x canvasHeight
    int32_t rowPitchBytes = 0;    // canvasWidth * 2
    uint8_t enabled = 0;          // "mask enabled"
    uint8_t displayed = 0;        // "display mask"
    // Display tint, alternating in squares; channels are 8-bit values x 256.
    std::array<int32_t, 3> tintColour1{};
    std::array<int32_t, 3> tintColour2{};
    int32_t fullRangeTint = 0;  // 0: the tint is drawn at half strength
};

inline MaskState& maskState() noexcept { return subsystemState<MaskState>(); }
inline void resetMaskState() noexcept { resetSubsystemState<MaskState>(); }

// The plane when the mask is in force, else null: what every consumer reads.
const uint16_t* activeMask() noexcept;

}  // namespace dro
