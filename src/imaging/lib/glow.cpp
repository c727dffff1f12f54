#include "imaging/lib/glow.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "imaging/lib/blur.h"
#include "imaging/lib/pixel_block.h"

namespace dro {
namespace {

constexpr double kMaxRadius = 1000.0;

// The glow's strength 0..1 per pixel: the alpha plane (or its inverse) in a frame wide
// enough that the blur sees transparency beyond the block, blurred, doubled.
bool glowStrength(const uint8_t* source, int32_t w, int32_t h, double radius, bool inverse, std::vector<float>& out) {
    if (!source || w <= 0 || h <= 0 || !(radius > 0.0) || radius > kMaxRadius) return false;
    const int32_t pad = static_cast<int32_t>(std::ceil(radius * 3.0)) + 1;
    const int32_t pw = w + 2 * pad, ph = h + 2 * pad;
    std::vector<uint8_t> plane(static_cast<size_t>(pw) * static_cast<size_t>(ph), inverse ? 255 : 0);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint8_t a = source[(static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)) * 4 + 3];
            plane[static_cast<size_t>(y + pad) * static_cast<size_t>(pw) + static_cast<size_t>(x + pad)] =
                static_cast<uint8_t>(inverse ? 255 - a : a);
        }
    if (!is5_GaussianBlurImage(plane.data(), pw, ph, 1, pw, plane.data(), pw, radius, 1)) return false;
    out.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            out[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] = std::min(
                1.0f, plane[static_cast<size_t>(y + pad) * static_cast<size_t>(pw) + static_cast<size_t>(x + pad)] * (2.0f / 255.0f));
    return true;
}

// The glow's strength per pixel, then mix(source pixel, destination pixel, glow colour,
// strength × opacity) for each.
template <class Mix>
bool glowPass(const uint8_t* source, int32_t width, int32_t height, uint8_t* destination, double radius,
              uint32_t colour, double opacity, bool inside, Mix&& mix) noexcept try {
    std::vector<float> strength;
    if (!destination || !std::isfinite(opacity) || !glowStrength(source, width, height, radius, inside, strength))
        return false;
    opacity = std::clamp(opacity, 0.0, 1.0);
    const double glow[3] = {static_cast<double>(colour & 255u), static_cast<double>((colour >> 8) & 255u),
                            static_cast<double>((colour >> 16) & 255u)};
    for (size_t i = 0; i < strength.size(); ++i) mix(source + i * 4, destination + i * 4, glow, strength[i] * opacity);
    return true;
} catch (...) {
    return false;
}

}  // namespace

bool ISE40_OuterGlowRGBA(const uint8_t* source, int32_t width, int32_t height, uint8_t* destination, double radius,
                         uint32_t colour, double opacity) noexcept {
    return glowPass(source, width, height, destination, radius, colour, opacity, false,
                    [](const uint8_t* in, uint8_t* out, const double* glow, double strength) {
                        // The block over the glow layer: "over" with the glow as the backdrop.
                        const double a = in[3] / 255.0, g = strength * (1.0 - a), total = a + g;
                        for (int c = 0; c < 3; ++c) out[c] = total > 0 ? clampByte((in[c] * a + glow[c] * g) / total) : in[c];
                        out[3] = clampByte(total * 255.0);
                    });
}

bool ISE40_InnerGlowRGBA(const uint8_t* source, int32_t width, int32_t height, uint8_t* destination, double radius,
                         uint32_t colour, double opacity) noexcept {
    return glowPass(source, width, height, destination, radius, colour, opacity, true,
                    [](const uint8_t* in, uint8_t* out, const double* glow, double strength) {
                        for (int c = 0; c < 3; ++c) out[c] = clampByte(in[c] + (glow[c] - in[c]) * strength);
                        out[3] = in[3];
                    });
}

}  // namespace dro
