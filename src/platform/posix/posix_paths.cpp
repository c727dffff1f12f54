#include <cstdio>

#include "platform/platform.h"

namespace dro::platform {

char pathSeparator() noexcept { return '/'; }

bool replaceFile(const char* from, const char* to) noexcept { return std::rename(from, to) == 0; }

}  // namespace dro::platform
