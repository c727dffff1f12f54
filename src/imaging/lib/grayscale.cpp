#include "imaging/lib/grayscale.h"

#include <utility>

namespace dro {

bool IS3ImageToGrayScale8Bit(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                             int32_t sourceStride, uint8_t* grey, int32_t greyStride, uint32_t) noexcept {
    if (!source || !grey || width <= 0 || height <= 0) return false;
    if (bytesPerPixel != 3 && bytesPerPixel != 4) return false;
    if (sourceStride < width * bytesPerPixel || greyStride < width) return false;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* in = source + static_cast<int64_t>(y) * sourceStride;
        uint8_t* out = grey + static_cast<int64_t>(y) * greyStride;
        for (int32_t x = 0; x < width; ++x, in += bytesPerPixel) {
            out[x] = static_cast<uint8_t>((77u * in[0] + 150u * in[1] + 29u * in[2] + 128u) >> 8);
        }
    }
    return true;
}

bool IS3RGBAToBGRA(uint8_t* pixels, int32_t width, int32_t height, int32_t stride) noexcept {
    if (!pixels || width <= 0 || height <= 0 || stride < width * 4) return false;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* px = pixels + static_cast<int64_t>(y) * stride;
        for (int32_t x = 0; x < width; ++x, px += 4) std::swap(px[0], px[2]);
    }
    return true;
}

}  // namespace dro
