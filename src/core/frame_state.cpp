#include "core/frame_state.h"

#include <cstring>
#include <mutex>

namespace dro {

namespace {

// Writers and readers of the text may be on different threads: the text changes only
// under this lock, and each reader gets a copy of its own.
std::mutex& lastErrorLock() noexcept {
    static std::mutex lock;
    return lock;
}

}  // namespace

void setLastError(const char* text) noexcept {
    const std::lock_guard<std::mutex> hold(lastErrorLock());
    char* buffer = frameState().lastError;
    std::memset(buffer, 0, kLastErrorCapacity);
    if (text) std::strncpy(buffer, text, kLastErrorCapacity - 1);
}

// The calling thread's copy: whole, and valid until the same thread asks again.
const char* lastError() noexcept {
    thread_local char copy[kLastErrorCapacity];
    const std::lock_guard<std::mutex> hold(lastErrorLock());
    std::memcpy(copy, frameState().lastError, kLastErrorCapacity);
    return copy;
}

}  // namespace dro
