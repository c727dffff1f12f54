#include "mask/mask_whole.h"

#include <algorithm>
#include <cstddef>

#include "mask/mask_walk.h"

namespace dro {

void invertMask() noexcept {
    uint16_t* mask = maskPlane();
    if (!mask) return;
    const size_t count = canvasPixelCount();
    for (size_t i = 0; i < count; ++i) mask[i] = static_cast<uint16_t>(65535 - mask[i]);
}

void clearMask(int32_t r, int32_t g, int32_t b) noexcept {
    uint16_t* mask = maskPlane();
    if (!mask) return;
    const int64_t v = (int64_t{r} + g + b) / 3;
    // Up to one 8-bit step is black, fully editable; above it 65280 - v, kept to 16 bits.
    const auto value = static_cast<uint16_t>(v <= 255 ? 65535 : 65280 - v);
    std::fill_n(mask, canvasPixelCount(), value);
}

void saveMask(uint8_t* out, int32_t stride) noexcept {
    const uint16_t* mask = maskPlane();
    if (!mask || !out) return;
    const Canvas& c = canvas();
    for (int32_t y = 0; y < c.height; ++y) {
        uint8_t* p = out + static_cast<ptrdiff_t>(y) * stride;
        const uint16_t* m = mask + static_cast<size_t>(y) * static_cast<size_t>(c.width);
        for (int32_t x = 0; x < c.width; ++x, p += 3) {
            const auto grey = static_cast<uint8_t>(255 - (m[x] >> 8));
            p[0] = p[1] = p[2] = grey;
        }
    }
}

void loadMask(const uint8_t* data, int32_t stride, int32_t width, int32_t height) noexcept {
    uint16_t* mask = maskPlane();
    if (!mask || !data) return;
    const Canvas& c = canvas();
    // Columns past the canvas edge would land on the next mask row, rows past the
    // bottom outside the plane: both are cut.
    const int32_t w = std::min(width, c.width);
    const int32_t h = std::min(height, c.height);
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* p = data + static_cast<ptrdiff_t>(y) * stride;
        uint16_t* m = mask + static_cast<size_t>(y) * static_cast<size_t>(c.width);
        for (int32_t x = 0; x < w; ++x, p += 3) {
            const uint32_t v = (uint32_t{p[0]} + p[1] + p[2]) / 3;
            m[x] = static_cast<uint16_t>(v == 0 ? 65535 : 65280 - v * 256);
        }
    }
}

}  // namespace dro
