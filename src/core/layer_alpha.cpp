#include "core/layer_alpha.h"

#include "core/blend_mode_table.h"
#include "core/canvas.h"
#include "core/pixel_format.h"

namespace dro {
namespace {

// Calls visit(pixel) for every RGBA64 pixel of the given extent of a slot's plane.
template <class Visit>
void forEachPixel(LayerSlot& slot, int32_t width, int32_t height, Visit visit) {
    for (int32_t y = 0; y < height; ++y) {
        uint16_t* px = slot.pixels.get() + static_cast<size_t>(y) * slot.rowPitch;
        for (int32_t x = 0; x < width; ++x, px += 4) visit(px);
    }
}

// The per-layer alpha operations walk the slot's own plane.
template <class Visit>
void forEachOwnPixel(LayerSlot& slot, Visit visit) {
    forEachPixel(slot, slot.width, slot.height, visit);
}

}  // namespace

bool findDataExtentsLayer(int32_t index, Rect& extents) noexcept {
    LayerSlot* slot = filledSlotAt(index);
    if (!slot) return false;
    const Canvas& c = canvas();
    Rect found{c.width, c.height, 0, 0};
    const PlaneExtent walk = canvasWalk(*slot);
    for (int32_t y = 0; y < walk.height; ++y) {
        const uint16_t* px = slot->pixels.get() + static_cast<size_t>(y) * slot->rowPitch;
        for (int32_t x = 0; x < walk.width; ++x, px += 4) {
            if (px[3] == 0) continue;
            if (x < found.left) found.left = x;
            if (y < found.top) found.top = y;
            if (x > found.right) found.right = x;
            if (y > found.bottom) found.bottom = y;
        }
    }
    extents = found;
    return true;
}

bool isLayerTransparent(int32_t index) noexcept {
    LayerSlot* slot = filledSlotAt(index);
    if (!slot) return true;
    const PlaneExtent walk = canvasWalk(*slot);
    for (int32_t y = 0; y < walk.height; ++y) {
        const uint16_t* px = slot->pixels.get() + static_cast<size_t>(y) * slot->rowPitch;
        for (int32_t x = 0; x < walk.width; ++x, px += 4) {
            if (px[3] < kOpaqueAlpha8To16) return true;
        }
    }
    return false;
}

bool isSingleColor(int32_t index) noexcept {
    LayerSlot* slot = filledSlotAt(index);
    if (!slot) return false;
    const PlaneExtent walk = canvasWalk(*slot);
    if (walk.width == 0 || walk.height == 0) return true;
    const uint16_t* first = slot->pixels.get();
    for (int32_t y = 0; y < walk.height; ++y) {
        const uint16_t* px = slot->pixels.get() + static_cast<size_t>(y) * slot->rowPitch;
        for (int32_t x = 0; x < walk.width; ++x, px += 4) {
            if (px[0] != first[0] || px[1] != first[1] || px[2] != first[2] || px[3] != first[3]) {
                return false;
            }
        }
    }
    return true;
}

void invertAlpha(int32_t index) noexcept {
    if (LayerSlot* slot = filledSlotAt(index)) {
        forEachOwnPixel(*slot, [](uint16_t* px) { px[3] = static_cast<uint16_t>(65535 - px[3]); });
    }
}

void setLayerAlpha(int32_t index, int32_t alpha16) noexcept {
    if (LayerSlot* slot = filledSlotAt(index)) {
        const auto alpha = static_cast<uint16_t>(alpha16);
        forEachOwnPixel(*slot, [alpha](uint16_t* px) { px[3] = alpha; });
    }
}

void normalizeLayerAlpha(int32_t index) noexcept {
    LayerSlot* slot = filledSlotAt(index);
    if (!slot || slot->mode > kUnassignedMode) return;
    const uint32_t opacity = slot->opacity;
    forEachOwnPixel(*slot, [opacity](uint16_t* px) { px[3] = static_cast<uint16_t>((px[3] * opacity) >> 8); });
    slot->opacity = 256;
}

void setColorAlpha(int32_t red, int32_t green, int32_t blue) noexcept {
    LayerSlot* slot = filledCurrentSlot();
    if (!slot) return;
    // The one widening by x 257: nearly transparent pixels get a defined colour.
    const auto r = static_cast<uint16_t>(red * 257);
    const auto g = static_cast<uint16_t>(green * 257);
    const auto b = static_cast<uint16_t>(blue * 257);
    const PlaneExtent walk = canvasWalk(*slot);
    forEachPixel(*slot, walk.width, walk.height, [=](uint16_t* px) {
        if (px[3] >= 256) return;
        px[0] = r;
        px[1] = g;
        px[2] = b;
        px[3] = 0;
    });
}

void createBlobFromImage(int32_t index, int32_t style) noexcept {
    LayerSlot* slot = filledSlotAt(index);
    if (!slot) return;
    constexpr double k = 1.0 / 65535;
    forEachOwnPixel(*slot, [style](uint16_t* px) {
        const int32_t l = (px[0] + px[1] + px[2]) / 3;
        for (int c = 0; c < 3; ++c) {
            if (style != 1) {
                px[c] = 32767;
                continue;
            }
            const double v = px[c];
            // Pull the colour away from mid-grey in proportion to the grey level's distance.
            px[c] = static_cast<uint16_t>(l < 32767 ? v + (65535 - v) * (32767 - l) * k
                                                    : v - v * (l - 32767) * k);
        }
        if (px[3] > 8191) px[3] = static_cast<uint16_t>(l * 0.843 + 10239);
    });
}

}  // namespace dro
