// The worker program that runs isolated jobs where the system cannot copy the host's
// process (Windows): the host starts it with a job's name, hands it the input on its
// standard input and takes the reply from its standard output.
#pragma once

#include <span>

#include "platform/isolated_call.h"

namespace dro::platform {

// The program's name beside the module that starts it ("drovane-worker.exe" on Windows).
inline constexpr const char* kIsolatedWorkerName = "drovane-worker";

// The worker's whole work: runs the job named by argv[1] on the bytes of its standard
// input and writes the reply to its standard output. Status 0 means the whole reply was
// written; a fault in the job ends the program instead.
int serveIsolatedJob(int argc, char** argv, std::span<const IsolatedJob* const> jobs);

}  // namespace dro::platform
