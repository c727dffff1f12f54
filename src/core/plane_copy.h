// Row-by-row copies between pitched planes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace dro {

// Copies rows of rowBytes bytes; pitches in bytes. When both planes are packed to the
// same pitch as the rows, one memcpy moves everything.
inline void copyPlaneRect(void* destination, int64_t destinationPitch, const void* source,
                          int64_t sourcePitch, int64_t rowBytes, int64_t rows) noexcept {
    if (!destination || !source || rowBytes <= 0 || rows <= 0) return;
    auto* out = static_cast<uint8_t*>(destination);
    const auto* in = static_cast<const uint8_t*>(source);
    if (destinationPitch == rowBytes && sourcePitch == rowBytes) {
        std::memcpy(out, in, static_cast<size_t>(rowBytes * rows));
        return;
    }
    for (int64_t y = 0; y < rows; ++y) {
        std::memcpy(out + y * destinationPitch, in + y * sourcePitch, static_cast<size_t>(rowBytes));
    }
}

}  // namespace dro
