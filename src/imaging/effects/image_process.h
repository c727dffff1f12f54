// The effect command: runs one named effect on the IPL working buffers and the current
// layer, then releases the 24-bit buffers and marks the whole canvas dirty.
#pragma once

#include <cstdint>

#include "imaging/effects/effect_args.h"

namespace dro {

// Nothing at all happens without both IPL RGBA32 buffers. A name that is unknown or
// not built runs nothing, records "IPLImageProc: unknown effect: NAME" or
// "IPLImageProc: effect not built: NAME" as the last error, and still marks the canvas
// dirty. A failure inside the effect is recorded as "IPLImageProc Excpt"; the clean-up
// runs regardless.
void imageProcess(EffectArgs args);

// The description of effect number index (dispatch order) as describeEffect gives it,
// copied into buffer (cut to fit, always terminated when bufferSize > 0). Returns the
// full length without the terminator, or -1 for an index outside 0..187.
int32_t describeEffectInto(int32_t index, char* buffer, int32_t bufferSize);

}  // namespace dro
