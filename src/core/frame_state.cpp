#include "core/frame_state.h"

#include <cstring>

namespace dro {

FrameState& frameState() noexcept {
    static FrameState state;
    return state;
}

void setLastError(const char* text) noexcept {
    char* buffer = frameState().lastError;
    std::memset(buffer, 0, kLastErrorCapacity);
    if (text) std::strncpy(buffer, text, kLastErrorCapacity - 1);
}

const char* lastError() noexcept { return frameState().lastError; }

}  // namespace dro
