// Why the last file read or write of the calling thread failed, or what a read that
// succeeded could not recover: empty after a clean success. Each file operation starts
// by clearing it. The first failure reported stands (it is the cause; later ones follow
// from it); warnings are kept only while nothing failed.
#pragma once

#include <string>

namespace dro::io {

void clearFileMessage() noexcept;
void reportFileFailure(const std::string& reason);
void reportFileWarning(const std::string& warning);
bool fileOperationFailed() noexcept;
// Valid until the calling thread's next file operation.
const char* fileMessage() noexcept;

}  // namespace dro::io
