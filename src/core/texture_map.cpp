#include "core/texture_map.h"

#include <algorithm>
#include <cstring>

#include "core/allocation.h"
#include "core/canvas.h"

namespace dro {

bool createTexture(int32_t index) noexcept {
    const LayerSlot* slot = filledSlotAt(index);
    const Canvas& c = canvas();
    if (!slot || c.width <= 0 || c.height <= 0) return true;
    TextureMap& texture = textureMap();
    const auto area = static_cast<uint64_t>(c.width) * static_cast<uint64_t>(c.height);
    if (!texture.plane) {
        texture.plane = adoptBuffer(x_NewCharUndoReduce(area));
        if (!texture.plane) return false;
    }
    // Canvas pixels the layer does not cover (a layer of another size) get the
    // weakest texture.
    const PlaneExtent walk = canvasWalk(*slot);
    if (walk.width < c.width || walk.height < c.height) std::memset(texture.plane.get(), 250, area);
    for (int32_t y = 0; y < walk.height; ++y) {
        const uint16_t* px = slot->pixels.get() + static_cast<size_t>(y) * slot->rowPitch;
        uint8_t* out = texture.plane.get() + static_cast<size_t>(y) * c.width;
        for (int32_t x = 0; x < walk.width; ++x, px += 4) {
            const int32_t t = (px[0] + px[1] + px[2]) / 768;
            out[x] = static_cast<uint8_t>(std::clamp(t, 4, 250));
        }
    }
    return true;
}

void deleteTexture() noexcept { textureMap().plane.reset(); }

}  // namespace dro
