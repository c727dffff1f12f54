#include <windows.h>

#include "platform/platform.h"

namespace dro::platform {

// Written through before the call returns, so a crash after it leaves the new file whole.
bool replaceFile(const char* from, const char* to) noexcept {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace dro::platform
