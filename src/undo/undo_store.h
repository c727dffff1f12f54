// The undo store: each step keeps only the old content of the rectangle it changed,
// taken from a back buffer that mirrors the current layer and the mask as they were
// at the last save. Bounded by a level count and a memory budget in KB.
#pragma once

#include <array>
#include <cstdint>

#include "core/owned_buffer.h"
#include "core/rect.h"
#include "core/subsystem_state.h"

namespace dro {

inline constexpr int kMaxUndoLevels = 500;

struct UndoRecord {
    OwnedBuffer<uint16_t> pixels;  // packed RGBA64 copy of rect
    OwnedBuffer<uint16_t> mask;    // packed G16 copy of rect
    Rect rect;

    bool holdsStep() const noexcept { return pixels || mask; }
    int32_t width() const noexcept { return rect.right - rect.left + 1; }
    int32_t height() const noexcept { return rect.bottom - rect.top + 1; }
};

struct UndoStore {
    OwnedBuffer<uint16_t> backPixels;  // undoBackBuffer: RGBA64 plane, canvas size
    OwnedBuffer<uint16_t> backMask;    // undoBackBuffer: G16 plane, canvas size
    std::array<UndoRecord, kMaxUndoLevels> records;  // 0 = newest
    std::array<int32_t, kMaxUndoLevels> recordLayer{};
    int32_t undoLevels = 0;
    int32_t redoCount = 0;
    uint8_t undoPaused = 0;
    Rect dirtyRect;
    int32_t undoBudgetKB = 0;
    uint8_t undoBudgetAuto = 0;
    int32_t undoUsedKB = 0;
};

inline UndoStore& undoStore() noexcept { return subsystemState<UndoStore>(); }
inline void resetUndoStore() noexcept { resetSubsystemState<UndoStore>(); }

void saveUndoBuffer(bool savePixels, bool saveMask);
void saveUndoBackBuffer(int32_t index);
void undoStep();
void redoStep();
bool canUndo() noexcept;
bool canRedo() noexcept;
int32_t undoCount() noexcept;
void clearUndo();
void reduceUndo(int32_t kilobytes);
void setUndoLevels(int32_t levels);
void setUndoMB(int32_t megabytes);
int32_t totalUndoMemoryMB();
int32_t currentUndoMemoryMB() noexcept;
void pauseUndo(bool paused) noexcept;

// dirtyRect helpers for painting code.
void setDirtyRectEmpty() noexcept;
void invalidateDirtyUndoCanvas() noexcept;
void widenDirtyRect(const Rect& changed) noexcept;

// For the allocators: whether dropping steps could free anything, and a reduction
// that reports how many steps it dropped (0 means give up).
bool undoHasSteps() noexcept;
int reduceUndoForAllocation(int32_t kilobytes);

// Canvas life cycle.
bool allocateUndoBackBuffer(int32_t width, int32_t height);
void releaseUndoMemory() noexcept;  // back buffer, every record, history, count 0
void setUndoUsedKB(int32_t kilobytes) noexcept;

}  // namespace dro
