#include "imaging/lib/overlay.h"

#include <algorithm>
#include <cstring>

namespace dro {
namespace {

void blendRowOver(uint8_t* dst, const uint8_t* src, int64_t pixels, uint32_t opacity256) noexcept {
    for (int64_t i = 0; i < pixels; ++i, dst += 4, src += 4) {
        const uint32_t a = (src[3] * opacity256) >> 8;
        if (a == 0) continue;
        const uint32_t keep = 255 - a;
        for (int c = 0; c < 3; ++c) dst[c] = static_cast<uint8_t>((src[c] * a + dst[c] * keep + 127) / 255);
        dst[3] = static_cast<uint8_t>(a + (dst[3] * keep + 127) / 255);
    }
}

}  // namespace

int IS3OverlayImage(void* destination, uint32_t destinationWidth, uint32_t destinationHeight,
                    uint32_t bytesPerPixel, uint32_t destinationStride, const void* source, uint32_t sourceWidth,
                    uint32_t sourceHeight, uint32_t sourceStride, int32_t x, int32_t y, double opacity,
                    uint32_t flags) noexcept {
    if (!destination || !source || bytesPerPixel == 0) return 0;
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t{x} + sourceWidth, destinationWidth);
    const int64_t bottom = std::min<int64_t>(int64_t{y} + sourceHeight, destinationHeight);
    if (left >= right || top >= bottom) return 0;

    const bool blend = flags == 1 && bytesPerPixel == 4;
    const auto opacity256 = static_cast<uint32_t>(std::clamp(opacity, 0.0, 1.0) * 256);
    auto* out = static_cast<uint8_t*>(destination);
    const auto* in = static_cast<const uint8_t*>(source);
    const int64_t columns = right - left;
    for (int64_t j = top; j < bottom; ++j) {
        uint8_t* dst = out + j * destinationStride + left * bytesPerPixel;
        const uint8_t* src = in + (j - y) * sourceStride + (left - x) * bytesPerPixel;
        if (blend) {
            blendRowOver(dst, src, columns, opacity256);
        } else {
            std::memcpy(dst, src, static_cast<size_t>(columns * bytesPerPixel));
        }
    }
    return 1;
}

void tileRgba32(uint8_t* block, int32_t w, int32_t h, const uint8_t* tile, int32_t tw, int32_t th, int32_t x0,
                int32_t y0) noexcept {
    if (!block || !tile || w <= 0 || h <= 0 || tw <= 0 || th <= 0) return;
    std::memset(block, 0, static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    for (int32_t y = y0; y < h; y += th)
        for (int32_t x = x0; x < w; x += tw)
            IS3OverlayImage(block, static_cast<uint32_t>(w), static_cast<uint32_t>(h), 4, static_cast<uint32_t>(w) * 4,
                            tile, static_cast<uint32_t>(tw), static_cast<uint32_t>(th), static_cast<uint32_t>(tw) * 4,
                            x, y, 1.0, 0);
}

}  // namespace dro
