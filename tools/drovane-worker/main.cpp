// drovane-worker: runs, in a process of its own, the engine's work that must not be able
// to bring the host down (camera raw parsing), where the system cannot copy the host's
// process. The engine starts it; it is not meant to be run by hand.
#include "imaging/lib/codecs/raw_codec.h"
#include "platform/isolated_worker.h"

int main(int argc, char** argv) {
    static const dro::platform::IsolatedJob* const jobs[] = {&dro::codecs::kCameraRawJob};
    return dro::platform::serveIsolatedJob(argc, argv, jobs);
}
