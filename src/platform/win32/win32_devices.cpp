// Scanners (TWAIN through EZTW32.dll) and Photoshop-format plug-ins (apih.dll) are not
// wired up in this backend yet: every call reports "not available" rather than pretend.
#include "platform/platform.h"

namespace dro::platform {

bool scannerAvailable() noexcept { return false; }
bool selectScannerSource() noexcept { return false; }
bool acquireScannerImage(PixelAllocator /*allocate*/) noexcept { return false; }

const char* runPhotoshopPlugin(const char* /*pluginPath*/, const PluginBlock& /*source*/,
                               const PluginBlock& /*destination*/, bool /*keepAlpha*/) noexcept {
    return "this build has no Photoshop plug-in host";
}

}  // namespace dro::platform
