// Maximum and minimum over square windows, on the imaging library's rank filter.
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/lib/procedural_ops/procedural_ops.h"
#include "imaging/lib/procedural_ops/sampling.h"
#include "imaging/lib/rank.h"

namespace dro::procedural_ops {
namespace {

inline constexpr int32_t kMaximumRadius = 64;

bool rankInPlace(uint8_t* image, int32_t width, int32_t height, int32_t stride, int32_t radius,
                 RankKind kind) noexcept {
    if (!validImage(image, width, height, stride)) return false;
    radius = std::clamp(radius, 0, kMaximumRadius);
    if (radius == 0) return true;
    // The filter needs a separate source; the last row may end at width × 4.
    const size_t bytes = static_cast<size_t>(height - 1) * static_cast<size_t>(stride) + static_cast<size_t>(width) * 4;
    std::vector<uint8_t> source;
    try {
        source.resize(bytes);
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::memcpy(source.data(), image, bytes);
    return rankFilter(source.data(), width, height, 4, stride, image, radius, kind);
}

}  // namespace

bool maximum(uint8_t* image, int32_t width, int32_t height, int32_t stride, const RankParams& p) noexcept {
    return rankInPlace(image, width, height, stride, p.radius, RankKind::maximum);
}

bool minimum(uint8_t* image, int32_t width, int32_t height, int32_t stride, const RankParams& p) noexcept {
    return rankInPlace(image, width, height, stride, p.radius, RankKind::minimum);
}

}  // namespace dro::procedural_ops
