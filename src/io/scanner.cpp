#include "io/scanner.h"

#include "io/import_buffer.h"
#include "platform/platform.h"

namespace dro {
namespace {

uint8_t* newRgbaBlock(int32_t width, int32_t height) { return createNewRgba(width, height); }

}  // namespace

int32_t isScannerAvailable() noexcept { return platform::scannerAvailable() ? 1 : 0; }

int32_t selectScannerSource() noexcept {
    return platform::scannerAvailable() && platform::selectScannerSource() ? 1 : 0;
}

int32_t acquireIntoNewRgba() {
    if (!platform::scannerAvailable()) return 0;
    return platform::acquireScannerImage(newRgbaBlock) ? 1 : 0;
}

}  // namespace dro
