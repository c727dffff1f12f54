// The transformed paste: the clip scaled to a longest side, turned, and merged into the
// current layer through texture and mask at an opacity. Its last result is cached.
#include <algorithm>

#include "core/mask_texture_adjust.h"
#include "composite/merge_block.h"
#include "core/allocation.h"
#include "core/canvas.h"
#include "core/failure.h"
#include "core/owned_buffer.h"
#include "core/transfer_load.h"
#include "imaging/lib/overlay.h"
#include "io/clip_cache.h"
#include "io/clipboard.h"
#include "io/import_buffer.h"

namespace dro::io {
namespace {

constexpr int32_t kFullOpacity = 256;

// The clip scaled and turned for key, cached for the next paste with the same key.
// Empty when the clipboard holds nothing.
Clip transformedClip(const ClipKey& key) {
    if (const Clip* cached = cachedClip(key)) return *cached;
    if (!readClipboardIntoImport()) return {};
    Clip clip = takeImportedClip();
    const Filtering filtering = key.filtered ? Filtering::smooth : Filtering::plain;
    if (auto scaled = scaleClip(clip, key.size, filtering)) clip = std::move(*scaled);
    if (angleTurns(key.angle))
        if (auto turned = rotateClip(clip, angleRadians(key.angle), filtering)) clip = std::move(*turned);
    putCachedClip(key, clip);
    return clip;
}

// The part of the clip at (x, y) that lies on the canvas, with its canvas position.
struct VisiblePart {
    int32_t left = 0, top = 0, width = 0, height = 0;
};

VisiblePart visiblePart(const Clip& clip, int32_t x, int32_t y) noexcept {
    const Canvas& c = canvas();
    VisiblePart v;
    v.left = std::max(x, 0);
    v.top = std::max(y, 0);
    const int64_t right = std::min<int64_t>(int64_t{x} + clip.width, c.width);
    const int64_t bottom = std::min<int64_t>(int64_t{y} + clip.height, c.height);
    v.width = static_cast<int32_t>(std::max<int64_t>(right - v.left, 0));
    v.height = static_cast<int32_t>(std::max<int64_t>(bottom - v.top, 0));
    return v;
}

}  // namespace

void fromClipboardIntoTransformed(int32_t x, int32_t y, int32_t size, int32_t angle, int32_t centre,
                                  int32_t filtered, int32_t opacity) {
    LayerSlot* slot = filledCurrentSlot();
    if (!slot) return;
    Clip clip = transformedClip(ClipKey{size, angle, filtered});
    if (clip.empty()) return;
    if (centre == 1) {
        x = centredOn(x, clip.width);
        y = centredOn(y, clip.height);
    }
    const VisiblePart v = visiblePart(clip, x, y);
    if (v.width < 1 || v.height < 1) return;
    if (v.width != clip.width || v.height != clip.height) {
        Clip cut;
        cut.width = v.width;
        cut.height = v.height;
        cut.pixels.assign(static_cast<size_t>(v.width) * v.height * 4, 0);
        IS3OverlayImage(cut.pixels.data(), v.width, v.height, 4, v.width * 4, clip.pixels.data(), clip.width,
                        clip.height, clip.width * 4, std::min(x, 0), std::min(y, 0), 1.0, 0);
        clip = std::move(cut);
    }
    adjustRGBA32RectByMaskAndTexture(clip.pixels.data(), v.left, v.top, v.width, v.height);

    OwnedBuffer<uint16_t> wide(x_NewShortUndoReduce(static_cast<uint64_t>(v.width) * v.height * 4));
    requireAllocated(wide);
    RGBA32ToRGBA64Block(clip.pixels.data(), wide.get(), v.width, v.height);
    // The merge core trusts its rectangle: keep it on the layer's own plane as well.
    MergeBlockCall call;
    call.source = wide.get();
    call.width = std::min(v.width, slot->width - v.left);
    call.height = std::min(v.height, slot->height - v.top);
    if (call.width < 1 || call.height < 1) return;
    call.sourceStride = v.width * 4;
    call.destination = slot->pixels.get();
    call.destinationX = v.left;
    call.destinationY = v.top;
    call.destinationStride = slot->rowPitch;
    call.opacity = std::clamp(opacity, 0, kFullOpacity);
    call.preOpacity = 255;
    call.alphaLock = slot->alphaLocked != 0;
    MergeBlock(call);
}

}  // namespace dro::io
