// Running third-party code we cannot trust with hostile input (camera raw parsers) where
// its faults cannot reach the host: a crash or a hang there must cost the painter one
// failed file, never the session and its unsaved work.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace dro::platform {

struct IsolatedOutcome {
    enum class Ended {
        Returned,    // work ran to its end; reply holds what it returned
        Crashed,     // work died (signal, sanitizer report, abort) before replying
        TimedOut,    // work was stopped after the time limit
        NotStarted,  // no separate process could be made
    };
    Ended ended = Ended::NotStarted;
    std::vector<uint8_t> reply;
    std::string detail;  // how it ended, in a few words, when it did not return
};

// Runs work in a separate process (a copy of this one where the system allows it) and
// hands back the bytes it returned. Where no separate process is available the work
// runs in this one and a fault in it is the host's.
IsolatedOutcome runIsolated(const std::function<std::vector<uint8_t>()>& work, std::chrono::milliseconds limit);

}  // namespace dro::platform
