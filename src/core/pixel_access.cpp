#include "core/pixel_access.h"

#include "core/canvas.h"
#include "core/pixel_format.h"
#include "core/mask_state.h"

namespace dro {
namespace {

bool insideCanvas(int32_t x, int32_t y) noexcept {
    const Canvas& c = canvas();
    return x >= 0 && y >= 0 && x < c.width && y < c.height;
}

}  // namespace

int32_t currentChannelAt(int32_t x, int32_t y, int channel) noexcept {
    const LayerSlot* slot = filledCurrentSlot();
    if (!slot || !insideCanvas(x, y) || x >= slot->width || y >= slot->height) return 0;
    return slot->pixels[static_cast<size_t>(y) * slot->rowPitch + static_cast<size_t>(x) * 4 + channel];
}

int32_t invertedMaskAt(int32_t x, int32_t y) noexcept {
    const uint16_t* mask = activeMask();
    if (!filledCurrentSlot() || !mask || !insideCanvas(x, y)) return 0;
    return 65535 - mask[static_cast<size_t>(y) * canvas().width + x];
}

void setPixelRGB24(uint8_t* block, int32_t pitch, int32_t x, int32_t y, int32_t red16, int32_t green16,
                   int32_t blue16) noexcept {
    if (!block || !insideCanvas(x, y)) return;
    uint8_t* px = block + int64_t{y} * pitch + int64_t{x} * 3;
    px[0] = narrow16(static_cast<uint32_t>(red16));
    px[1] = narrow16(static_cast<uint32_t>(green16));
    px[2] = narrow16(static_cast<uint32_t>(blue16));
}

}  // namespace dro

namespace dro {

uint32_t packedColorAt(const uint16_t* plane, int32_t x, int32_t y) noexcept {
    if (!plane) return 0;
    if (!insideCanvas(x, y)) return 0x00FFFFFF;
    const uint16_t* p = plane + (static_cast<size_t>(y) * canvas().width + x) * 4;
    return uint32_t{narrow16(p[3])} << 24 | uint32_t{narrow16(p[0])} << 16 | uint32_t{narrow16(p[1])} << 8 |
           narrow16(p[2]);
}

}  // namespace dro
