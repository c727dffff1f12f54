// The distortions and filters of the procedural interpreter: its effect numbers and
// named values, mapped onto the plain RGBA32 operations of procedural_ops.
#pragma once

#include <span>

#include "imaging/lib/procedural/effect_table.h"

namespace dro::procedural {

std::span<const EffectEntry> filterEffects() noexcept;

}  // namespace dro::procedural
