// Process-wide state of the engine frame: error text, start directory, random seed
// and the flag the system-event handler raises for the host to poll.
#pragma once

#include <cstdint>

#include "core/last_error.h"
#include "core/subsystem_state.h"

namespace dro {

struct FrameState {
    char lastError[kLastErrorCapacity] = {};
    char startDir[1024] = {};
    uint32_t randomSeed = 0;
    uint8_t displayChanged = 0;
    char dirInfo[260] = {};  // buffer handed out by DRO_GetDirInfo
};

inline FrameState& frameState() noexcept { return subsystemState<FrameState>(); }

}  // namespace dro
