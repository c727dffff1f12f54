#include <cstdio>

#include "platform/platform.h"

namespace dro::platform {

char pathSeparator() noexcept { return '/'; }

}  // namespace dro::platform
