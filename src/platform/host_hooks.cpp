#include "platform/host_hooks.h"

#include <atomic>

#include "platform/platform.h"

namespace dro::platform {
namespace {

struct MessageSink {
    std::atomic<MessageCallback> callback{nullptr};
    std::atomic<void*> user{nullptr};
};

MessageSink& sink() noexcept {
    static MessageSink state;
    return state;
}

std::atomic<bool>& reportedEscape() noexcept {
    static std::atomic<bool> state{false};
    return state;
}

}  // namespace

void setMessageCallback(MessageCallback callback, void* user) noexcept {
    sink().user.store(user);
    sink().callback.store(callback);
}

bool deliverToHostCallback(const char* text, const char* caption) noexcept {
    const MessageCallback callback = sink().callback.load();
    if (!callback) return false;
    callback(text, caption, sink().user.load());
    return true;
}

void pressEscape() noexcept { reportedEscape().store(true); }

bool takeReportedEscape() noexcept { return reportedEscape().exchange(false); }

}  // namespace dro::platform
