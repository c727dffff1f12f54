// The engine's writers' side of a safe file replacement (platform/file_replacement.h):
// the writer fills dest(), commit() moves the file into place, and whatever went wrong
// is reported as the thread's file message (io/file_message.h).
#pragma once

#include "imaging/lib/codecs/codec_types.h"
#include "platform/file_replacement.h"

namespace dro {

class OutputFile {
public:
    // Reports a refused destination at once.
    explicit OutputFile(const char* path);
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool isOpen() const noexcept { return replacement_.file() != nullptr; }
    codecs::FileDest dest() const noexcept { return codecs::FileDest{replacement_.file()}; }
    // Moves the written file into place when written is true; otherwise, or when moving
    // fails, the destination is left as it was and the reason reported. Returns whether
    // the file is in place.
    bool commit(bool written);

private:
    platform::FileReplacement replacement_;
};

}  // namespace dro
