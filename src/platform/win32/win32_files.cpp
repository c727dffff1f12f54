#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cctype>
#include <cerrno>
#include <system_error>

#include "platform/file_replacement.h"

namespace dro::platform {
namespace {

std::string systemReason(DWORD error) {
    std::string text = std::system_category().message(static_cast<int>(error));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.')) text.pop_back();
    if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    return path.substr(0, slash + 1);
}

}  // namespace

// Windows follows links inside the file system itself, so the destination is taken as
// named; a read-only file is refused as the shell's redirection refuses it.
FileReplacement::FileReplacement(const char* destination) {
    if (!destination || !*destination) {
        problem_ = "no file name";
        return;
    }
    target_ = destination;
    const DWORD attributes = GetFileAttributesA(target_.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) {
        fail(attributes & FILE_ATTRIBUTE_DIRECTORY ? "it is a folder" : "permission denied");
        return;
    }
    // GetTempFileName creates the file exclusively under a name not in use.
    char created[MAX_PATH];
    if (GetTempFileNameA(folderOf(target_).c_str(), "dro", 0, created) == 0) {
        const DWORD error = GetLastError();
        fail(error == ERROR_DIRECTORY || error == ERROR_PATH_NOT_FOUND ? "its folder does not exist"
                                                                       : systemReason(error));
        return;
    }
    temporary_ = created;
    const int fd = _open(created, _O_RDWR | _O_BINARY | _O_TRUNC);
    file_ = fd >= 0 ? _fdopen(fd, "w+b") : nullptr;
    if (!file_) {
        if (fd >= 0) _close(fd);
        fail(std::generic_category().message(errno));
    }
}

void FileReplacement::discard() noexcept {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) DeleteFileA(temporary_.c_str());
    temporary_.clear();
}

bool FileReplacement::commit() {
    if (!file_) return false;
    errno = 0;
    if (std::fflush(file_) != 0 || std::ferror(file_) || _commit(_fileno(file_)) != 0) {
        fail(std::generic_category().message(errno ? errno : EIO));
        return false;
    }
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (closed != 0) {
        fail(std::generic_category().message(errno));
        return false;
    }
    // A plain rename refuses an existing target on Windows; written through before the
    // call returns, so a crash after it leaves the new file whole.
    if (!MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        fail(systemReason(GetLastError()));
        return false;
    }
    temporary_.clear();
    return true;
}

}  // namespace dro::platform
