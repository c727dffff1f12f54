#include "io/output_file.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "io/file_message.h"

#include "platform/platform.h"

namespace dro {

OutputFile::OutputFile(const char* path) : replacement_(path) {
    if (!isOpen()) io::reportFileFailure(replacement_.problem());
}

bool OutputFile::commit(bool written) {
    if (!isOpen()) return false;
    if (!written) {
        // A writer that stopped on a failed write leaves the stream's error set and
        // errno naming it (a full disk, a lost device).
        const int error = errno;
        io::reportFileFailure(std::ferror(replacement_.file()) && error
                                  ? "write failed: " + std::generic_category().message(error)
                                  : std::string("the encoder could not write this picture"));
        return false;
    }
    if (!replacement_.commit()) {
        io::reportFileFailure("write failed: " + replacement_.problem());
        return false;
    }
    return true;
}

}  // namespace dro
