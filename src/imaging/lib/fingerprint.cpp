#include "imaging/lib/fingerprint.h"

#include <cmath>
#include <numbers>
#include <vector>

#include "imaging/lib/blur.h"

namespace dro {

bool ISE3Fingerprint(const uint8_t* grey, int32_t width, int32_t height, uint8_t* out, double ridges,
                     double smoothing) noexcept try {
    if (!grey || !out || width <= 0 || height <= 0 || !(ridges >= 0.5) || ridges > 128.0 || !(smoothing >= 0.0) ||
        smoothing > 100.0)
        return false;
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::vector<uint8_t> smooth(grey, grey + n);
    if (smoothing > 0.0 && !is5_GaussianBlurImage(grey, width, height, 1, width, smooth.data(), width, smoothing, 1))
        return false;
    // The ridge profile of each grey level, once.
    uint8_t profile[256];
    for (int g = 0; g < 256; ++g)
        profile[g] = static_cast<uint8_t>(127.5 + 127.5 * std::cos(2.0 * std::numbers::pi * ridges * g / 255.0) + 0.5);
    for (size_t i = 0; i < n; ++i) out[i] = profile[smooth[i]];
    return true;
} catch (...) {
    return false;
}

}  // namespace dro
