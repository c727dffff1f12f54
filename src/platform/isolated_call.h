// Running third-party code we cannot trust with hostile input (camera raw parsers) where
// its faults cannot reach the host: a crash or a hang there must cost the painter one
// failed file, never the session and its unsaved work.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
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

// Work another process can run: bytes in, bytes out, nothing else shared. Where the
// system cannot copy this process, a worker program finds the same code by its name.
struct IsolatedJob {
    const char* name;
    std::vector<uint8_t> (*run)(std::span<const uint8_t> input);
};

// Runs the job on input in a separate process (a copy of this one, or the worker program
// "drovane-worker" beside the module that holds this code) and hands back the bytes it
// returned.
IsolatedOutcome runIsolated(const IsolatedJob& job, std::span<const uint8_t> input, std::chrono::milliseconds limit);

}  // namespace dro::platform
