#include "imaging/effects/image_process.h"

#include "core/last_error.h"
#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/working_buffers.h"
#include "undo/undo_store.h"

namespace dro {

void imageProcess(EffectArgs args) {
    args.scale();
    if (!iplPair()) return;
    try {
        if (const EffectFunction run = effectRegistry().find(args.name)) run(args);
    } catch (...) {
        setLastError("IPLImageProc Excpt");
    }
    WorkingBuffers& b = workingBuffers();
    b.iplSource24.release();
    b.iplDestination24.release();
    invalidateDirtyUndoCanvas();
}

}  // namespace dro
