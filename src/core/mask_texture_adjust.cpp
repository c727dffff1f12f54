#include "core/mask_texture_adjust.h"

#include <algorithm>

#include "core/texture_map.h"
#include "core/canvas.h"
#include "core/mask_state.h"

namespace dro {

void adjustRGBA32RectByMaskAndTexture(uint8_t* block, int32_t left, int32_t top, int32_t width,
                                      int32_t height) noexcept {
    const uint8_t* texture = activeTexture();
    const uint16_t* mask = activeMask();
    if (!block || (!texture && !mask) || width <= 0 || height <= 0) return;
    const Canvas& c = canvas();
    const int32_t x0 = std::max(left, 0);
    const int32_t y0 = std::max(top, 0);
    const auto x1 = static_cast<int32_t>(std::min<int64_t>(int64_t{left} + width, c.width));
    const auto y1 = static_cast<int32_t>(std::min<int64_t>(int64_t{top} + height, c.height));
    for (int32_t y = y0; y < y1; ++y) {
        for (int32_t x = x0; x < x1; ++x) {
            const size_t at = static_cast<size_t>(y) * c.width + x;
            uint64_t f = 65535;
            if (texture) f = texture[at] >= 128 ? 65535 : (uint64_t{texture[at]} * 131070) >> 8;
            if (mask && mask[at] != 65535) f = f * mask[at] / 65536;
            uint8_t& alpha = block[(static_cast<size_t>(y - top) * width + (x - left)) * 4 + 3];
            alpha = static_cast<uint8_t>(alpha * f / 65535);
        }
    }
}

}  // namespace dro
