#include "imaging/lib/relief.h"

#include <cmath>
#include <numbers>

#include "imaging/lib/pixel_block.h"

namespace dro {

bool IS3EmbossRGB(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                  uint8_t* destination, double angle, int32_t distance, double depth) noexcept {
    const PixelBlock in{source, width, height, bytesPerPixel, stride};
    if (!in.valid() || !destination || !std::isfinite(angle) || !std::isfinite(depth)) return false;
    const double radians = angle * std::numbers::pi / 180.0;
    const int32_t dx = static_cast<int32_t>(std::lround(std::cos(radians) * distance));
    const int32_t dy = static_cast<int32_t>(std::lround(-std::sin(radians) * distance));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* lit = in.clamped(x + dx, y + dy);
            const uint8_t* away = in.clamped(x - dx, y - dy);
            uint8_t* out = destination + in.offset(x, y);
            for (int32_t c = 0; c < 3; ++c) out[c] = clampByte(128.0 + depth * (lit[c] - away[c]));
            if (bytesPerPixel == 4) out[3] = in.at(x, y)[3];
        }
    return true;
}

bool ISE3ShadeBevelEdge(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                        int32_t stride, uint8_t* destination, int32_t bevelWidth, double shade) noexcept {
    const PixelBlock in{source, width, height, bytesPerPixel, stride};
    if (!in.valid() || !destination || !std::isfinite(shade)) return false;
    shade = std::clamp(shade, 0.0, 1.0);
    // Facets in tie order: the lit ones first. Positive light moves toward white.
    const double light[4] = {shade, 0.6 * shade, -shade, -0.6 * shade};  // top, left, bottom, right
    in.copyTo(destination);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const int32_t distances[4] = {y, x, height - 1 - y, width - 1 - x};
            int facet = 0;
            for (int f = 1; f < 4; ++f)
                if (distances[f] < distances[facet]) facet = f;
            if (distances[facet] >= bevelWidth) continue;
            uint8_t* out = destination + in.offset(x, y);
            const double k = light[facet];
            for (int32_t c = 0; c < 3; ++c) out[c] = clampByte(k > 0 ? out[c] + (255 - out[c]) * k : out[c] * (1.0 + k));
        }
    return true;
}

}  // namespace dro
