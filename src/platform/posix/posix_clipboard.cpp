// The clipboard on Linux. A library cannot reach the desktop's clipboard without the
// host's toolkit, so images are kept in the process (copy and paste work within the
// host) and a host that wants the desktop's clipboard plugs its own reader and writer in.
#include <climits>
#include <cstring>

#include "platform/platform.h"

namespace dro::platform {
namespace {

struct ClipboardState {
    std::vector<uint8_t> dib;  // empty: no CF_DIB on the clipboard
    ClipboardGetCallback get = nullptr;
    ClipboardSetCallback set = nullptr;
    void* user = nullptr;
};

ClipboardState& state() noexcept {
    static ClipboardState s;
    return s;
}

// The host's clipboard may change between the size query and the copy; a second
// round covers one such change, after that the read fails.
bool readFromHost(const ClipboardState& s, std::vector<uint8_t>& dib) {
    for (int round = 0; round < 2; ++round) {
        const int32_t size = s.get(nullptr, 0, s.user);
        if (size <= 0) return false;
        dib.assign(static_cast<size_t>(size), 0);
        const int32_t copied = s.get(dib.data(), size, s.user);
        if (copied == size) return true;
        if (copied <= 0) return false;
    }
    return false;
}

}  // namespace

bool readClipboardDib(std::vector<uint8_t>& dib) {
    const ClipboardState& s = state();
    if (s.get) return readFromHost(s, dib);
    if (s.dib.empty()) return false;
    dib = s.dib;
    return true;
}

bool writeClipboardDib(const uint8_t* dib, std::size_t size) {
    if (!dib || size == 0) return false;
    ClipboardState& s = state();
    if (s.set) return size <= INT32_MAX && s.set(dib, static_cast<int32_t>(size), s.user) != 0;
    s.dib.assign(dib, dib + size);
    return true;
}

void setClipboardCallbacks(ClipboardGetCallback get, ClipboardSetCallback set, void* user) noexcept {
    ClipboardState& s = state();
    s.get = get;
    s.set = set;
    s.user = user;
}

void resetClipboard() noexcept { state() = ClipboardState{}; }

}  // namespace dro::platform
