#include "brush/fade.h"

#include <algorithm>

#include "core/canvas.h"
#include "core/layers.h"
#include "imaging/lib/overlay.h"
#include "undo/undo_store.h"
#include "undo/layer_selection.h"

namespace dro {
namespace {

constexpr uint32_t kPixelBytes = 8;

struct PixelPlane {
    uint8_t* base;
    int32_t width;
    int32_t height;
    int64_t stride;  // bytes
};

// rect (inclusive) of a plane into a packed w x h copy whose (0, 0) is the rect's
// corner; the part of rect outside the plane is left as it is in the copy.
void planeToCopy(uint16_t* copy, const PixelPlane& plane, const Rect& rect) noexcept {
    const int32_t left = std::max(rect.left, 0);
    const int32_t top = std::max(rect.top, 0);
    const int32_t right = std::min(rect.right, plane.width - 1);
    const int32_t bottom = std::min(rect.bottom, plane.height - 1);
    if (!plane.base || left > right || top > bottom) return;
    const int32_t w = rect.right - rect.left + 1;
    const int32_t h = rect.bottom - rect.top + 1;
    IS3OverlayImage(copy, w, h, kPixelBytes, w * kPixelBytes, plane.base + top * plane.stride + left * kPixelBytes,
                    right - left + 1, bottom - top + 1, static_cast<uint32_t>(plane.stride), left - rect.left,
                    top - rect.top, 1.0, 0);
}

void copyToPlane(const PixelPlane& plane, const uint16_t* copy, const Rect& rect) noexcept {
    if (!plane.base) return;
    const int32_t w = rect.right - rect.left + 1;
    const int32_t h = rect.bottom - rect.top + 1;
    IS3OverlayImage(plane.base, plane.width, plane.height, kPixelBytes, static_cast<uint32_t>(plane.stride), copy, w,
                    h, w * kPixelBytes, rect.left, rect.top, 1.0, 0);
}

}  // namespace

void startFade() {
    UndoStore& u = undoStore();
    const int32_t position = u.redoCount;
    if (position <= 0 || position >= u.undoLevels || position >= kMaxUndoLevels) return;
    const auto at = static_cast<size_t>(position);
    const int32_t layer = u.recordLayer[at];
    if (canvas().currentLayer != layer) setLayer(layer);
    LayerSlot* slot = filledCurrentSlot();
    UndoRecord& record = u.records[at];
    if (canvas().currentLayer != layer || !slot || !record.pixels || !u.backPixels) return;
    if (record.rect.right < record.rect.left || record.rect.bottom < record.rect.top) return;

    const Canvas& c = canvas();
    const PixelPlane live{reinterpret_cast<uint8_t*>(slot->pixels.get()), slot->width, slot->height,
                          int64_t{slot->rowPitch} * 2};
    const PixelPlane back{reinterpret_cast<uint8_t*>(u.backPixels.get()), c.width, c.height,
                          int64_t{c.width} * kPixelBytes};
    copyToPlane(live, record.pixels.get(), record.rect);
    planeToCopy(record.pixels.get(), back, record.rect);
    // The back buffer takes the layer's window as it now stands.
    const int32_t left = std::max(record.rect.left, 0);
    const int32_t top = std::max(record.rect.top, 0);
    const int32_t right = std::min(record.rect.right, live.width - 1);
    const int32_t bottom = std::min(record.rect.bottom, live.height - 1);
    if (left > right || top > bottom) return;
    IS3OverlayImage(back.base, back.width, back.height, kPixelBytes, static_cast<uint32_t>(back.stride),
                    live.base + top * live.stride + left * kPixelBytes, right - left + 1, bottom - top + 1,
                    static_cast<uint32_t>(live.stride), left, top, 1.0, 0);
}

}  // namespace dro
