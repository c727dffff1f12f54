#include "io/output_file.h"

#include <cstdio>

#include "platform/platform.h"

namespace dro {

OutputFile::OutputFile(const char* path) {
    if (!path || !*path) return;
    path_ = path;
    temporaryPath_ = path_ + ".partial";
    file_ = std::fopen(temporaryPath_.c_str(), "w+b");
}

OutputFile::~OutputFile() {
    if (file_) {
        std::fclose(file_);
        std::remove(temporaryPath_.c_str());
    }
}

bool OutputFile::commit() {
    if (!file_) return false;
    const bool written = std::fflush(file_) == 0 && !std::ferror(file_);
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!written || !closed || !platform::replaceFile(temporaryPath_.c_str(), path_.c_str())) {
        std::remove(temporaryPath_.c_str());
        return false;
    }
    return true;
}

}  // namespace dro
