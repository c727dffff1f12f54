#include "platform/isolated_call.h"

namespace dro::platform {

// Windows has no copy-of-this-process to hand the work to; it runs here.
IsolatedOutcome runIsolated(const std::function<std::vector<uint8_t>()>& work, std::chrono::milliseconds) {
    IsolatedOutcome outcome;
    try {
        outcome.reply = work();
        outcome.ended = IsolatedOutcome::Ended::Returned;
    } catch (...) {
        outcome.ended = IsolatedOutcome::Ended::Crashed;
        outcome.detail = "threw";
    }
    return outcome;
}

}  // namespace dro::platform
