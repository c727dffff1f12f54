#include "imaging/effects/upper_effects.h"

namespace dro {
namespace {

UpperEffectActions gActions;  // set once at load, never reset: it names code, not state

}  // namespace

void attachUpperEffectActions(const UpperEffectActions& actions) noexcept { gActions = actions; }

const UpperEffectActions& upperEffectActions() noexcept { return gActions; }

}  // namespace dro
