#include <algorithm>

#include "imaging/lib/procedural_ops/procedural_ops.h"
#include "imaging/lib/procedural_ops/sampling.h"

namespace dro::procedural_ops {

bool colorize(uint8_t* image, int32_t width, int32_t height, int32_t stride, const ColorizeParams& p) noexcept {
    if (!validImage(image, width, height, stride)) return false;
    const int32_t tone[3] = {std::clamp(p.red, 0, 255), std::clamp(p.green, 0, 255), std::clamp(p.blue, 0, 255)};
    const int32_t amount = std::clamp(p.amount, 0, 100);
    // The toned value of each lightness: black to the colour over the dark half, the
    // colour to white over the light half.
    uint8_t toned[3][256];
    for (int c = 0; c < 3; ++c)
        for (int32_t l = 0; l < 256; ++l)
            toned[c][l] = static_cast<uint8_t>(l < 128 ? (tone[c] * l * 2 + 127) / 255
                                                       : tone[c] + ((255 - tone[c]) * (l * 2 - 255) + 127) / 255);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* px = image + static_cast<size_t>(y) * static_cast<size_t>(stride);
        for (int32_t x = 0; x < width; ++x, px += 4) {
            const int32_t lightness = (px[0] * 299 + px[1] * 587 + px[2] * 114 + 500) / 1000;
            for (int c = 0; c < 3; ++c)
                px[c] = static_cast<uint8_t>(px[c] + ((toned[c][lightness] - px[c]) * amount) / 100);
        }
    }
    return true;
}

}  // namespace dro::procedural_ops
