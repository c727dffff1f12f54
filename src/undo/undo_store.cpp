#include "undo/undo_store.h"

#include <algorithm>
#include <climits>

#include "core/allocation.h"
#include "core/canvas.h"
#include "core/layers.h"
#include "imaging/lib/overlay.h"
#include "core/mask_state.h"
#include "undo/undo_budget.h"
#include "undo/layer_selection.h"

namespace dro {
namespace {

constexpr uint32_t kPixelBytes = 8;
constexpr uint32_t kMaskBytes = 2;

// A canvas-coordinate plane the undo store copies rectangles in and out of.
struct Plane {
    uint8_t* base;
    int32_t width;
    int32_t height;
    int64_t stride;
    uint32_t bytesPerPixel;
};

int64_t canvasArea() noexcept { return int64_t{canvas().width} * canvas().height; }

int32_t kilobytes(int64_t width, int64_t height, uint32_t bytesPerPixel) noexcept {
    return static_cast<int32_t>(std::min<int64_t>(width * height * bytesPerPixel / 1024, INT_MAX));
}

void count(int32_t kb) noexcept {
    UndoStore& u = undoStore();
    u.undoUsedKB = static_cast<int32_t>(std::min<int64_t>(int64_t{u.undoUsedKB} + kb, INT_MAX));
}

void uncount(int32_t kb) noexcept {
    UndoStore& u = undoStore();
    u.undoUsedKB = std::max(0, u.undoUsedKB - kb);
}

// Releases a record's copies, uncounting what each of them was counted for.
void releaseRecord(UndoRecord& record) noexcept {
    const int64_t w = record.width();
    const int64_t h = record.height();
    if (record.pixels) uncount(kilobytes(w, h, kPixelBytes));
    if (record.mask) uncount(kilobytes(w, h, kMaskBytes));
    record = UndoRecord{};
}

Plane layerPlane(LayerSlot& slot) noexcept {
    return {reinterpret_cast<uint8_t*>(slot.pixels.get()), slot.width, slot.height, int64_t{slot.rowPitch} * 2,
            kPixelBytes};
}

Plane backPixelPlane() noexcept {
    return {reinterpret_cast<uint8_t*>(undoStore().backPixels.get()), canvas().width, canvas().height,
            int64_t{canvas().width} * kPixelBytes, kPixelBytes};
}

Plane maskPlane() noexcept {
    return {reinterpret_cast<uint8_t*>(maskState().plane.get()), canvas().width, canvas().height,
            int64_t{canvas().width} * kMaskBytes, kMaskBytes};
}

Plane backMaskPlane() noexcept {
    return {reinterpret_cast<uint8_t*>(undoStore().backMask.get()), canvas().width, canvas().height,
            int64_t{canvas().width} * kMaskBytes, kMaskBytes};
}

// Copies rect of the source plane to the same place in the destination plane.
// Both sides are clipped, so planes of other sizes are never overrun.
void copyPlaneToPlane(const Plane& destination, const Plane& source, const Rect& rect) noexcept {
    if (!destination.base || !source.base) return;
    const int32_t left = std::max(rect.left, 0);
    const int32_t top = std::max(rect.top, 0);
    const int32_t right = std::min(rect.right, source.width - 1);
    const int32_t bottom = std::min(rect.bottom, source.height - 1);
    if (left > right || top > bottom) return;
    IS3OverlayImage(destination.base, destination.width, destination.height, destination.bytesPerPixel,
                    static_cast<uint32_t>(destination.stride), source.base + top * source.stride + left * source.bytesPerPixel,
                    right - left + 1, bottom - top + 1, static_cast<uint32_t>(source.stride), left, top, 1.0, 0);
}

// The rect of a plane into a packed copy of the rect's size; the copy's (0, 0) is the
// rect's corner.
void copyPlaneToRecord(uint16_t* record, const Plane& source, const Rect& rect) noexcept {
    const int32_t left = std::max(rect.left, 0);
    const int32_t top = std::max(rect.top, 0);
    const int32_t right = std::min(rect.right, source.width - 1);
    const int32_t bottom = std::min(rect.bottom, source.height - 1);
    if (!record || !source.base || left > right || top > bottom) return;
    const int32_t w = rect.right - rect.left + 1;
    const int32_t h = rect.bottom - rect.top + 1;
    const uint32_t bpp = source.bytesPerPixel;
    IS3OverlayImage(record, w, h, bpp, w * bpp, source.base + top * source.stride + left * bpp, right - left + 1,
                    bottom - top + 1, static_cast<uint32_t>(source.stride), left - rect.left, top - rect.top, 1.0, 0);
}

// A packed copy back into the plane at the rect's corner.
void copyRecordToPlane(const Plane& destination, const uint16_t* record, const Rect& rect) noexcept {
    if (!record || !destination.base) return;
    const int32_t w = rect.right - rect.left + 1;
    const int32_t h = rect.bottom - rect.top + 1;
    const uint32_t bpp = destination.bytesPerPixel;
    IS3OverlayImage(destination.base, destination.width, destination.height, bpp,
                    static_cast<uint32_t>(destination.stride), record, w, h, w * bpp, rect.left, rect.top, 1.0, 0);
}

// Undo and redo are one exchange: the layer takes the saved content, the record takes
// what the layer showed (the back buffer's copy of it), and the back buffer follows
// the layer.
void exchange(UndoRecord& record, const Plane& live, const Plane& back, uint16_t* copy) noexcept {
    if (!copy) return;
    copyRecordToPlane(live, copy, record.rect);
    copyPlaneToRecord(copy, back, record.rect);
    copyPlaneToPlane(back, live, record.rect);
}

void exchangeRecord(UndoRecord& record) noexcept {
    if (LayerSlot* slot = filledCurrentSlot()) exchange(record, layerPlane(*slot), backPixelPlane(), record.pixels.get());
    exchange(record, maskPlane(), backMaskPlane(), record.mask.get());
}

// Makes the record's layer current; false when it cannot be (the slot lost its pixels).
bool selectRecordLayer(int32_t layer) {
    if (canvas().currentLayer != layer) setLayer(layer);
    return canvas().currentLayer == layer && filledCurrentSlot();
}

// Drops every undone step; returns how many records were released.
int removeAbandonedUndo() noexcept {
    UndoStore& u = undoStore();
    const int dropped = u.redoCount;
    if (dropped == 0) return 0;
    for (int i = 0; i < dropped && i < kMaxUndoLevels; ++i) releaseRecord(u.records[static_cast<size_t>(i)]);
    for (int m = dropped; m < u.undoLevels; ++m) {
        u.records[static_cast<size_t>(m - dropped)] = std::move(u.records[static_cast<size_t>(m)]);
        u.recordLayer[static_cast<size_t>(m - dropped)] = u.recordLayer[static_cast<size_t>(m)];
        u.records[static_cast<size_t>(m)] = UndoRecord{};
    }
    u.redoCount = 0;
    return dropped;
}

Rect clippedDirtyRect() noexcept {
    const Canvas& c = canvas();
    Rect r = undoStore().dirtyRect;
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, c.width - 1);
    r.bottom = std::min(r.bottom, c.height - 1);
    // An empty or degenerate rectangle means "unknown": take the whole canvas.
    if (r.left >= r.right || r.top >= r.bottom) r = Rect{0, 0, c.width - 1, c.height - 1};
    return r;
}

}  // namespace

void saveUndoBuffer(bool savePixels, bool saveMask) {
    UndoStore& u = undoStore();
    if (u.undoPaused) return;
    const Canvas& c = canvas();
    if (c.width <= 0 || c.height <= 0) return;
    removeAbandonedUndo();
    const Rect rect = clippedDirtyRect();
    const int64_t w = rect.right - rect.left + 1;
    const int64_t h = rect.bottom - rect.top + 1;
    recomputeAutomaticBudget();

    // Nothing requested records nothing (an empty step would hide the older ones).
    if (savePixels || saveMask) {
        OwnedBuffer<uint16_t> pixels;
        OwnedBuffer<uint16_t> mask;
        const int32_t stepKB = kilobytes(w, h, kPixelBytes + kMaskBytes);
        // Oldest steps make way first, until the new one fits the budget or only
        // position 0 is left, where it is taken regardless.
        for (int i = u.undoLevels - 1; i >= 0; --i) {
            UndoRecord& record = u.records[static_cast<size_t>(i)];
            if (record.holdsStep()) releaseRecord(record);
            if (int64_t{u.undoUsedKB} + stepKB < u.undoBudgetKB || i == 0) {
                if (savePixels && !pixels) {
                    pixels = adoptBuffer(static_cast<uint16_t*>(tryAllocate(static_cast<size_t>(w * h * kPixelBytes))));
                    if (pixels) count(kilobytes(w, h, kPixelBytes));
                }
                if (saveMask && !mask) {
                    mask = adoptBuffer(static_cast<uint16_t*>(tryAllocate(static_cast<size_t>(w * h * kMaskBytes))));
                    if (mask) count(kilobytes(w, h, kMaskBytes));
                }
                if ((!savePixels || pixels) && (!saveMask || mask)) break;
            }
        }
        const bool complete = u.undoLevels > 0 && (!savePixels || pixels) && (!saveMask || mask);
        if (complete) {
            for (int m = u.undoLevels - 1; m >= 1; --m) {
                u.records[static_cast<size_t>(m)] = std::move(u.records[static_cast<size_t>(m - 1)]);
                u.recordLayer[static_cast<size_t>(m)] = u.recordLayer[static_cast<size_t>(m - 1)];
            }
            UndoRecord& newest = u.records[0];
            newest = UndoRecord{std::move(pixels), std::move(mask), rect};
            u.recordLayer[0] = c.currentLayer;
            copyPlaneToRecord(newest.pixels.get(), backPixelPlane(), rect);
            copyPlaneToRecord(newest.mask.get(), backMaskPlane(), rect);
        } else {
            if (pixels) uncount(kilobytes(w, h, kPixelBytes));
            if (mask) uncount(kilobytes(w, h, kMaskBytes));
        }
    }

    // The back buffer follows the canvas whether or not a step was recorded.
    if (savePixels) {
        if (LayerSlot* slot = filledCurrentSlot()) copyPlaneToPlane(backPixelPlane(), layerPlane(*slot), rect);
    }
    if (saveMask) copyPlaneToPlane(backMaskPlane(), maskPlane(), rect);
    setDirtyRectEmpty();
}

void saveUndoBackBuffer(int32_t index) {
    UndoStore& u = undoStore();
    if (u.undoPaused) return;
    const Rect whole{0, 0, canvas().width - 1, canvas().height - 1};
    if (LayerSlot* slot = filledSlotAt(index)) copyPlaneToPlane(backPixelPlane(), layerPlane(*slot), whole);
    copyPlaneToPlane(backMaskPlane(), maskPlane(), whole);
}

void undoStep() {
    UndoStore& u = undoStore();
    if (u.undoPaused || u.redoCount >= u.undoLevels || u.redoCount < 0) return;
    const auto position = static_cast<size_t>(u.redoCount);
    if (!u.records[position].holdsStep()) return;
    if (!selectRecordLayer(u.recordLayer[position])) return;
    exchangeRecord(u.records[position]);
    u.redoCount += 1;
}

void redoStep() {
    UndoStore& u = undoStore();
    if (u.undoPaused || u.redoCount <= 0) return;
    const auto position = static_cast<size_t>(u.redoCount - 1);
    if (!selectRecordLayer(u.recordLayer[position])) return;
    u.redoCount -= 1;
    exchangeRecord(u.records[position]);
}

bool canUndo() noexcept {
    const UndoStore& u = undoStore();
    return u.redoCount >= 0 && u.redoCount < u.undoLevels && u.records[static_cast<size_t>(u.redoCount)].holdsStep();
}

bool canRedo() noexcept { return undoStore().redoCount != 0; }

int32_t undoCount() noexcept {
    const auto& records = undoStore().records;
    return static_cast<int32_t>(
        std::count_if(records.begin(), records.end(), [](const UndoRecord& r) { return r.holdsStep(); }));
}

void clearUndo() {
    UndoStore& u = undoStore();
    setDirtyRectEmpty();
    u.undoPaused = 0;
    u.redoCount = 0;
    for (UndoRecord& record : u.records) record = UndoRecord{};
    u.recordLayer.fill(0);
    u.undoUsedKB = u.backPixels ? static_cast<int32_t>(canvasArea() * 10 / 1024) : 0;
    saveUndoBackBuffer(canvas().currentLayer);
    recomputeAutomaticBudget();
}

int reduceUndoForAllocation(int32_t kilobytesWanted) {
    UndoStore& u = undoStore();
    int dropped = removeAbandonedUndo();
    int64_t freed = 0;
    for (int i = u.undoLevels - 1; i >= 0; --i) {
        UndoRecord& record = u.records[static_cast<size_t>(i)];
        if (!record.pixels) continue;  // steps holding only a mask are kept
        if (freed >= kilobytesWanted) break;
        const int64_t before = u.undoUsedKB;
        releaseRecord(record);
        freed += before - u.undoUsedKB;
        ++dropped;
    }
    return dropped;
}

void reduceUndo(int32_t kilobytesWanted) { reduceUndoForAllocation(kilobytesWanted); }

bool undoHasSteps() noexcept { return canUndo() || undoStore().redoCount != 0; }

void setUndoLevels(int32_t levels) {
    clearUndo();
    undoStore().undoLevels = std::clamp(levels, 0, kMaxUndoLevels);
}

void setUndoMB(int32_t megabytes) {
    UndoStore& u = undoStore();
    if (megabytes == 0) {
        u.undoBudgetAuto = 1;
        recomputeAutomaticBudget();
        return;
    }
    u.undoBudgetAuto = 0;
    u.undoBudgetKB = static_cast<int32_t>(std::clamp<int64_t>(int64_t{megabytes} * 1024, INT_MIN, INT_MAX));
}

int32_t totalUndoMemoryMB() {
    recomputeAutomaticBudget();
    return undoStore().undoBudgetKB / 1024;
}

int32_t currentUndoMemoryMB() noexcept { return undoStore().undoUsedKB / 1024; }

void pauseUndo(bool paused) noexcept { undoStore().undoPaused = paused ? 1 : 0; }

void setDirtyRectEmpty() noexcept {
    undoStore().dirtyRect = Rect{canvas().width - 1, canvas().height - 1, 0, 0};
}

void invalidateDirtyUndoCanvas() noexcept {
    undoStore().dirtyRect = Rect{0, 0, canvas().width - 1, canvas().height - 1};
}

void widenDirtyRect(const Rect& changed) noexcept {
    Rect& d = undoStore().dirtyRect;
    d.left = std::min(d.left, changed.left);
    d.top = std::min(d.top, changed.top);
    d.right = std::max(d.right, changed.right);
    d.bottom = std::max(d.bottom, changed.bottom);
}

bool allocateUndoBackBuffer(int32_t width, int32_t height) {
    UndoStore& u = undoStore();
    const uint64_t area = uint64_t(std::max(width, 0)) * uint64_t(std::max(height, 0));
    u.backPixels = adoptBuffer(x_NewShortUndoReduce(area * 4));
    u.backMask = adoptBuffer(x_NewShortUndoReduce(area));
    return u.backPixels && u.backMask;
}

void releaseUndoMemory() noexcept {
    UndoStore& u = undoStore();
    u.backPixels.reset();
    u.backMask.reset();
    for (UndoRecord& record : u.records) record = UndoRecord{};
    u.recordLayer.fill(0);
    u.redoCount = 0;
    u.undoPaused = 0;
    setDirtyRectEmpty();
    u.undoUsedKB = 0;
}

void setUndoUsedKB(int32_t kilobytesUsed) noexcept { undoStore().undoUsedKB = std::max(0, kilobytesUsed); }

}  // namespace dro
