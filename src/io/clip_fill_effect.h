// The action of the effect "Clip Fill" (listed in imaging/effects/clipboard_effects.cpp).
#pragma once

#include "imaging/effects/effect_args.h"

namespace dro::io {

// The clipboard's picture stretched over the whole canvas and merged into the current
// layer by the blend mode of style 1 at slider 2 percent. Without a picture on the
// clipboard nothing changes.
void clipFillEffect(const EffectArgs& args);

}  // namespace dro::io
