// Message boxes, the Escape key and debugger output on Linux. A library has no window
// system of its own here: messages go to the host's callback or to stderr, and the
// Escape key is whatever the host (or a test) reports through pressEscape.
#include <atomic>
#include <cstdio>

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

std::atomic<bool>& escapeDown() noexcept {
    static std::atomic<bool> state{false};
    return state;
}

}  // namespace

void setMessageCallback(MessageCallback callback, void* user) noexcept {
    sink().user.store(user);
    sink().callback.store(callback);
}

void messageBox(const char* text, const char* caption) noexcept {
    if (!text) text = "";
    if (!caption) caption = "";
    if (const MessageCallback callback = sink().callback.load()) {
        callback(text, caption, sink().user.load());
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

bool escapePressed() noexcept { return escapeDown().exchange(false); }

void pressEscape() noexcept { escapeDown().store(true); }

void debugOutput(const char* text) noexcept {
    if (text) std::fprintf(stderr, "%s\n", text);
}

}  // namespace dro::platform
