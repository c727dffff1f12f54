#include "imaging/lib/soft_colour.h"

#include <cmath>
#include <vector>

#include "imaging/lib/blur.h"
#include "imaging/lib/pixel_block.h"
#include "imaging/lib/rank.h"

namespace dro {

bool ISE3GauzyRGB(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                  uint8_t* destination, double radius, double amount) noexcept {
    const PixelBlock in{source, width, height, bytesPerPixel, stride};
    if (!in.valid() || !destination || !std::isfinite(amount)) return false;
    constexpr uint32_t kColourChannels = 7;
    if (!is5_GaussianBlurImage(source, width, height, bytesPerPixel, stride, destination, stride, radius, kColourChannels))
        return false;
    amount = std::clamp(amount, 0.0, 1.0);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* c = in.at(x, y);
            uint8_t* out = destination + in.offset(x, y);
            for (int k = 0; k < 3; ++k) {
                const double screen = 255.0 - (255.0 - c[k]) * (255.0 - out[k]) / 255.0;
                out[k] = clampByte(c[k] + (screen - c[k]) * amount);
            }
        }
    return true;
}

bool ISE3WatercolorTintRGB(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                           int32_t stride, uint8_t* destination, int32_t radius, double lightness) noexcept {
    const PixelBlock in{source, width, height, bytesPerPixel, stride};
    if (!in.valid() || !destination || radius < 1 || radius > 32 || !std::isfinite(lightness)) return false;
    if (!rankFilter(source, width, height, bytesPerPixel, stride, destination, radius, RankKind::median)) return false;
    lightness = std::clamp(lightness, 0.0, 1.0);
    const double vividness = 1.0 + 0.5 * lightness;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* out = destination + in.offset(x, y);
            const double grey = (77.0 * out[0] + 150.0 * out[1] + 29.0 * out[2]) / 256.0;
            for (int k = 0; k < 3; ++k) {
                const double vivid = grey + (out[k] - grey) * vividness;
                out[k] = clampByte(vivid + (255.0 - vivid) * lightness);
            }
            if (bytesPerPixel == 4) out[3] = in.at(x, y)[3];
        }
    return true;
}

}  // namespace dro
