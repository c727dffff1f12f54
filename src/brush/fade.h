// The fade of the last stroke: the pixel half of the exchange an undo performs, so
// the host can blend between the stroke and what lay under it.
#pragma once

namespace dro {

// With at least one step undone, takes the step the next undo would take back: makes
// its layer current and exchanges its pixel copy with the layer through the back
// buffer. The mask copy and the redo count stay as they are.
void startFade();

}  // namespace dro
