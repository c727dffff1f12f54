#include "imaging/lib/flip.h"

#include <algorithm>

namespace dro {

bool IS3HorizontalFlipImage(uint8_t* pixels, int32_t width, int32_t height, int32_t bytesPerPixel,
                            int32_t stride) noexcept {
    if (!pixels || width <= 0 || height <= 0 || bytesPerPixel <= 0 || stride < width * bytesPerPixel) return false;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(stride);
        for (int32_t l = 0, r = width - 1; l < r; ++l, --r)
            std::swap_ranges(row + l * bytesPerPixel, row + (l + 1) * bytesPerPixel, row + r * bytesPerPixel);
    }
    return true;
}

bool IS3VerticalFlipImage(uint8_t* pixels, int32_t rowBytes, int32_t height) noexcept {
    if (!pixels || rowBytes <= 0 || height <= 0) return false;
    for (int32_t t = 0, b = height - 1; t < b; ++t, --b) {
        uint8_t* top = pixels + static_cast<size_t>(t) * static_cast<size_t>(rowBytes);
        std::swap_ranges(top, top + rowBytes, pixels + static_cast<size_t>(b) * static_cast<size_t>(rowBytes));
    }
    return true;
}

}  // namespace dro
