#include "brush/alpha_comp.h"

#include <algorithm>

#include "core/canvas.h"

namespace dro {

void adjustRgba32ForAlphaComp(uint8_t flag, uint8_t* block) noexcept {
    const Canvas& c = canvas();
    if (!flag || !block || c.width <= 0 || c.height <= 0) return;
    const size_t count = static_cast<size_t>(c.width) * static_cast<size_t>(c.height);
    for (uint8_t* px = block; px != block + count * 4; px += 4) {
        const uint32_t a = px[3];
        if (a == 0) continue;
        for (int i = 0; i < 3; ++i) px[i] = static_cast<uint8_t>(std::min<uint32_t>(px[i] * 255u / a, 255u));
    }
}

}  // namespace dro
