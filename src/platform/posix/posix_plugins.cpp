// Photoshop-format plug-ins are Windows DLLs run through the Windows plug-in host; there
// is none here, so running one always reports failure.
#include "platform/platform.h"

namespace dro::platform {

bool runPhotoshopPlugin(const char* /*pluginPath*/, uint8_t* /*rgba*/, int32_t /*width*/, int32_t /*height*/) noexcept {
    return false;
}

}  // namespace dro::platform
