#include "imaging/lib/deinterlace.h"

#include <cstring>

namespace dro {

bool IS3Deinterlace(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                    uint8_t* destination, int32_t field, bool interpolate) noexcept {
    if (!source || !destination || width <= 0 || height <= 0 || bytesPerPixel < 1 || bytesPerPixel > 8 ||
        stride < width * bytesPerPixel || (field != 0 && field != 1))
        return false;
    const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(bytesPerPixel);
    const auto row = [&](const uint8_t* base, int32_t y) { return base + static_cast<size_t>(y) * static_cast<size_t>(stride); };
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* out = destination + static_cast<size_t>(y) * static_cast<size_t>(stride);
        const bool kept = (y & 1) == field;
        const bool hasAbove = y > 0, hasBelow = y + 1 < height;
        if (kept || (!hasAbove && !hasBelow)) {
            std::memcpy(out, row(source, y), rowBytes);
        } else if (interpolate && hasAbove && hasBelow) {
            const uint8_t* above = row(source, y - 1);
            const uint8_t* below = row(source, y + 1);
            for (size_t i = 0; i < rowBytes; ++i) out[i] = static_cast<uint8_t>((above[i] + below[i] + 1) >> 1);
        } else {
            std::memcpy(out, row(source, hasAbove ? y - 1 : y + 1), rowBytes);
        }
    }
    return true;
}

}  // namespace dro
