#include "imaging/lib/pixel_block.h"

#include <cstring>

namespace dro {

void PixelBlock::copyTo(uint8_t* destination) const noexcept {
    const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(bytesPerPixel);
    for (int32_t y = 0; y < height; ++y) std::memcpy(destination + offset(0, y), at(0, y), rowBytes);
}

std::vector<uint8_t> PixelBlock::grey() const {
    std::vector<uint8_t> out(pixelCount());
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = at(x, y);
            out[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                static_cast<uint8_t>((77u * p[0] + 150u * p[1] + 29u * p[2] + 128u) >> 8);
        }
    return out;
}

}  // namespace dro
