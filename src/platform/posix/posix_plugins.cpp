// Photoshop-format plug-ins are Windows DLLs that only a Windows plug-in host can load;
// this backend has none, so running one fails and says why.
#include "platform/platform.h"

namespace dro::platform {

const char* runPhotoshopPlugin(const char* /*pluginPath*/, const PluginBlock& /*source*/,
                               const PluginBlock& /*destination*/, bool /*keepAlpha*/) noexcept {
    return "Photoshop-format plug-ins are Windows programs and cannot run on this system";
}

}  // namespace dro::platform
