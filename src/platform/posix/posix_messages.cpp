// Message boxes, the Escape key and debugger output on Linux. A library has no window
// system of its own here: messages go to the host's callback or to stderr, and the
// Escape key is whatever the host (or a test) reports through pressEscape.
#include <cstdio>

#include "platform/host_hooks.h"
#include "platform/platform.h"

namespace dro::platform {

void messageBox(const char* text, const char* caption) noexcept {
    if (!text) text = "";
    if (!caption) caption = "";
    if (deliverToHostCallback(text, caption)) return;
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

bool escapePressed() noexcept { return takeReportedEscape(); }

void debugOutput(const char* text) noexcept {
    if (text) std::fprintf(stderr, "%s\n", text);
}

}  // namespace dro::platform
