// Scanners (TWAIN through EZTW32.dll) and Photoshop-format plug-ins (apih.dll) are not
// wired up in this backend yet: every call reports "not available" rather than pretend.
#include "platform/platform.h"

namespace dro::platform {

bool scannerAvailable() noexcept { return false; }
bool selectScannerSource() noexcept { return false; }
bool acquireScannerImage(PixelAllocator /*allocate*/) noexcept { return false; }

bool runPhotoshopPlugin(const char* /*pluginPath*/, uint8_t* /*rgba*/, int32_t /*width*/, int32_t /*height*/) noexcept {
    return false;
}

}  // namespace dro::platform
