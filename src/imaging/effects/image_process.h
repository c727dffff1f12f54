// The effect command: runs one named effect on the IPL working buffers and the current
// layer, then releases the 24-bit buffers and marks the whole canvas dirty.
#pragma once

#include "imaging/effects/effect_args.h"

namespace dro {

// Nothing at all happens without both IPL RGBA32 buffers. A name that is unknown or
// not implemented runs nothing but still marks the canvas dirty. A failure inside the
// effect is recorded as "IPLImageProc Excpt"; the clean-up runs regardless.
void imageProcess(EffectArgs args);

}  // namespace dro
