// Image acquisition from scanners and cameras into NewRGBA.
#pragma once

#include <cstdint>

namespace dro {

int32_t isScannerAvailable() noexcept;
// 1 when a device is available and was chosen.
int32_t selectScannerSource() noexcept;
// 1 when an image was acquired into NewRGBA, else 0 (NewRGBA may then be gone).
int32_t acquireIntoNewRgba();

}  // namespace dro
