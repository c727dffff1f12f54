// Photoshop-format plug-ins (apih.dll's host) are not wired up in this backend yet:
// running one reports why rather than pretend.
#include "platform/platform.h"

namespace dro::platform {

const char* runPhotoshopPlugin(const char* /*pluginPath*/, const PluginBlock& /*source*/,
                               const PluginBlock& /*destination*/, bool /*keepAlpha*/) noexcept {
    return "this build has no Photoshop plug-in host";
}

}  // namespace dro::platform
