#include "io/file_message.h"

namespace dro::io {
namespace {

// Per thread, so a host that reads or writes files on several threads reads the
// message of its own last operation.
struct FileMessage {
    std::string text;
    bool failed = false;
};
thread_local FileMessage message;

}  // namespace

void clearFileMessage() noexcept {
    message.text.clear();
    message.failed = false;
}

void reportFileFailure(const std::string& reason) {
    if (message.failed) return;
    message.text = reason;
    message.failed = true;
}

void reportFileWarning(const std::string& warning) {
    if (message.failed || warning.empty()) return;
    if (!message.text.empty()) message.text += "; ";
    message.text += warning;
}

bool fileOperationFailed() noexcept { return message.failed; }

const char* fileMessage() noexcept { return message.text.c_str(); }

}  // namespace dro::io
