#include "mask/mask_combine.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

#include "mask/mask_walk.h"

namespace dro {
namespace {

// One rule per operation: the new mask value from the old one m and the weight u of
// the picture in canvas units (u > 255; it can exceed 16 bits when a stencil's
// amount does).

// Add: protection grows, so m falls by u and stops at 0.
constexpr uint16_t addProtection(uint32_t m, uint64_t u) noexcept {
    return u > m ? 0 : static_cast<uint16_t>(m - u);
}

// Subtract: protection shrinks, so m rises by u and stops at 65535.
constexpr uint16_t removeProtection(uint32_t m, uint64_t u) noexcept {
    return static_cast<uint16_t>(std::min<uint64_t>(m + u, 65535));
}

// Replace: the picture's own value, kept to 16 bits.
constexpr uint16_t replaceProtection(uint32_t, uint64_t u) noexcept { return static_cast<uint16_t>(65280 - u); }

using CombineRule = uint16_t (*)(uint32_t, uint64_t) noexcept;

template <CombineRule Rule>
void combineRows(uint16_t* mask, const uint8_t* data, int32_t stride, bool stencil, int32_t amount) noexcept {
    const Canvas& c = canvas();
    for (int32_t y = 0; y < c.height; ++y) {
        const uint8_t* p = data + static_cast<ptrdiff_t>(y) * stride;
        uint16_t* m = mask + static_cast<size_t>(y) * static_cast<size_t>(c.width);
        for (int32_t x = 0; x < c.width; ++x, p += 3) {
            int64_t v = (p[0] + p[1] + p[2]) / 3;
            if (stencil) v = v == 0 ? amount : 0;
            // A weight that rounds to nothing in 8 bits leaves the pixel alone.
            if (v <= 0) continue;
            m[x] = Rule(m[x], static_cast<uint64_t>(v) * 256u);
        }
    }
}

using CombineLoop = void (*)(uint16_t*, const uint8_t*, int32_t, bool, int32_t) noexcept;

struct CombineOperation {
    std::string_view name;
    CombineLoop loop;
};

// Searched in order; the first entry also serves unknown names.
constexpr std::array<CombineOperation, 3> kCombineOperations{{
    {"Add", &combineRows<addProtection>},
    {"Subtract", &combineRows<removeProtection>},
    {"Replace", &combineRows<replaceProtection>},
}};

CombineLoop combineLoopNamed(const char* name) noexcept {
    if (name) {
        const std::string_view text(name);
        for (const CombineOperation& op : kCombineOperations) {
            if (op.name == text) return op.loop;
        }
    }
    return kCombineOperations.front().loop;
}

}  // namespace

void combineMask(const uint8_t* data, int32_t stride, uint8_t black, int32_t amount,
                 const char* operation) noexcept {
    uint16_t* mask = maskPlane();
    if (!mask || !data) return;
    combineLoopNamed(operation)(mask, data, stride, black == 1, amount);
}

}  // namespace dro
