#include "io/scanner.h"

#include <algorithm>
#include <vector>

#include "io/clipboard_dib.h"
#include "io/import_buffer.h"
#include "platform/platform.h"

namespace dro {
namespace {

uint8_t* newRgbaBlock(int32_t width, int32_t height) { return createNewRgba(width, height); }

// A scanned DIB into NewRGBA, opaque: scanners deliver no alpha, and a 32-bit DIB's
// fourth byte is padding.
bool dibIntoNewRgba(const std::vector<uint8_t>& dib) {
    const auto image = io::decodeClipboardDib(dib);
    if (!image || image->empty()) return false;
    uint8_t* out = createNewRgba(image->width, image->height);
    if (!out) return false;
    std::copy(image->pixels.begin(), image->pixels.end(), out);
    for (size_t i = 3; i < image->pixels.size(); i += 4) out[i] = 255;
    return true;
}

}  // namespace

int32_t isScannerAvailable() noexcept { return platform::scannerAvailable() ? 1 : 0; }

int32_t selectScannerSource() noexcept {
    return platform::scannerAvailable() && platform::selectScannerSource() ? 1 : 0;
}

int32_t acquireIntoNewRgba() {
    if (!platform::scannerAvailable()) return 0;
    std::vector<uint8_t> dib;
    if (!platform::acquireScannerImage(newRgbaBlock, dib)) return 0;
    return dib.empty() || dibIntoNewRgba(dib) ? 1 : 0;
}

}  // namespace dro
