// The 8-bit working copies of the current layer used by whole-image commands.
#pragma once

#include <cstdint>

#include "core/owned_buffer.h"
#include "core/subsystem_state.h"

namespace dro {

struct WorkingBuffer {
    OwnedBuffer<uint8_t> block;
    uint32_t sizeBytes = 0;

    void release() noexcept {
        block.reset();
        sizeBytes = 0;
    }
};

struct WorkingBuffers {
    WorkingBuffer iplSource32;
    WorkingBuffer iplDestination32;
    WorkingBuffer iplSource24;
    WorkingBuffer iplDestination24;
    WorkingBuffer toolSource32;  // survive a change of canvas
    WorkingBuffer toolDestination32;

    // The four image-command buffers follow the canvas life cycle.
    void releaseIplBuffers() noexcept {
        iplSource32.release();
        iplDestination32.release();
        iplSource24.release();
        iplDestination24.release();
    }
};

inline WorkingBuffers& workingBuffers() noexcept { return subsystemState<WorkingBuffers>(); }
inline void resetWorkingBuffers() noexcept { resetSubsystemState<WorkingBuffers>(); }

}  // namespace dro
