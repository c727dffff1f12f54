// A file written beside its final path and moved into place only when the writer
// succeeded, so a failed or unknown write never destroys a file the user already had.
#pragma once

#include <cstdio>
#include <string>

#include "imaging/lib/codecs/codec_types.h"

namespace dro {

class OutputFile {
public:
    explicit OutputFile(const char* path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool isOpen() const noexcept { return file_ != nullptr; }
    codecs::FileDest dest() const noexcept { return codecs::FileDest{file_}; }
    // Flushes, closes and renames over the final path; false (and nothing replaced)
    // when any of that fails.
    bool commit();

private:
    std::string path_;
    std::string temporaryPath_;
    std::FILE* file_ = nullptr;
};

}  // namespace dro
