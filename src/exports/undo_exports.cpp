// Undo store.
#include "drovane.h"
#include "exports/guarded.h"
#include "undo/undo_store.h"

using namespace dro;

extern "C" {

DRO_API void DRO_CALL DRO_SaveUndoBuffer(uint8_t savePixels, uint8_t saveMask) {
    guarded("SaveUndoBuf Excpt", [&] { saveUndoBuffer(savePixels != 0, saveMask != 0); });
}

DRO_API void DRO_CALL DRO_SaveUndoBackBuffer(int32_t index) {
    guarded(kNoFailureText, [&] { saveUndoBackBuffer(index); });
}

DRO_API void DRO_CALL DRO_Undo(void) {
    guarded(kNoFailureText, [] { undoStep(); });
}

DRO_API void DRO_CALL DRO_Redo(void) {
    guarded(kNoFailureText, [] { redoStep(); });
}

DRO_API int32_t DRO_CALL DRO_CanUndo(void) { return canUndo() ? 1 : 0; }
DRO_API int32_t DRO_CALL DRO_CanRedo(void) { return canRedo() ? 1 : 0; }
DRO_API int32_t DRO_CALL DRO_GetRedoCount(void) { return undoStore().redoCount; }
DRO_API int32_t DRO_CALL DRO_GetUndoCount(void) { return undoCount(); }

DRO_API void DRO_CALL DRO_ClearUndo(void) {
    guarded("ClearUndo Excpt", [] { clearUndo(); });
}

DRO_API void DRO_CALL DRO_ReduceUndo(int32_t kilobytes) {
    guarded("RemoveAdandonedUndo Excpt", [&] { reduceUndo(kilobytes); });
}

DRO_API void DRO_CALL DRO_SetUndoLevels(int32_t levels) {
    guarded("ClearUndo Excpt", [&] { setUndoLevels(levels); });
}

DRO_API void DRO_CALL DRO_SetUndoMB(int32_t megabytes) {
    guarded(kNoFailureText, [&] { setUndoMB(megabytes); });
}

DRO_API int32_t DRO_CALL DRO_GetTotalUndoMemory(void) {
    return guarded(kNoFailureText, 0, [] { return totalUndoMemoryMB(); });
}

DRO_API int32_t DRO_CALL DRO_GetCurrentUndoMemory(void) { return currentUndoMemoryMB(); }

DRO_API void DRO_CALL DRO_PauseUndo(void) { pauseUndo(true); }
DRO_API void DRO_CALL DRO_ResumeUndo(void) { pauseUndo(false); }

DRO_API void DRO_CALL DRO_InvalidateDirtyUndoCanvas(void) { invalidateDirtyUndoCanvas(); }

}  // extern "C"
