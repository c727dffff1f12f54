#include "imaging/lib/offset.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace dro {

namespace {

// The source coordinate that lands on destination coordinate d, or -1 when none does.
int32_t sourceOf(int64_t d, int64_t shift, int32_t size, lib::EdgeMode edge) {
    const int64_t s = d - shift;
    if (s >= 0 && s < size) return static_cast<int32_t>(s);
    switch (edge) {
        case lib::EdgeMode::wrap: return static_cast<int32_t>(((s % size) + size) % size);
        case lib::EdgeMode::repeatEdge: return static_cast<int32_t>(std::clamp<int64_t>(s, 0, size - 1));
        default: return -1;
    }
}

}  // namespace

void offsetRgba32(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height, int32_t dx,
                  int32_t dy, lib::EdgeMode edge, const uint8_t* background) noexcept {
    if (!source || !destination || width <= 0 || height <= 0) return;
    static constexpr uint8_t kClear[4] = {0, 0, 0, 0};
    const uint8_t* fill = edge == lib::EdgeMode::background && background ? background : kClear;
    for (int32_t y = 0; y < height; ++y) {
        const int32_t sy = sourceOf(y, dy, height, edge);
        uint8_t* out = destination + static_cast<ptrdiff_t>(y) * width * 4;
        for (int32_t x = 0; x < width; ++x) {
            const int32_t sx = sy < 0 ? -1 : sourceOf(x, dx, width, edge);
            const uint8_t* from = sx < 0 ? fill : source + (static_cast<ptrdiff_t>(sy) * width + sx) * 4;
            std::memcpy(out + static_cast<ptrdiff_t>(x) * 4, from, 4);
        }
    }
}

}  // namespace dro
