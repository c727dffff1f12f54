// Effects that are one in-house filter of the same name between a refresh of the
// source and the write-back. Blurs and other neighbourhood filters run on
// premultiplied colour so transparent pixels lend none to their neighbours.
#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"

namespace dro {
namespace {

void sameNameFilter(const EffectArgs& args) { runInHouseFilterStep(args, args.name, Premultiply::no); }
void sameNameFilterPremultiplied(const EffectArgs& args) {
    runInHouseFilterStep(args, args.name, Premultiply::yes);
}
void smartBlur(const EffectArgs& args) { runInHouseFilterStep(args, "Noise Reduction", Premultiply::yes); }

}  // namespace

void registerInHouseEffects(EffectRegistry& r) {
    r.add("Box Blur", sameNameFilterPremultiplied);
    r.add("Anti Alias", sameNameFilterPremultiplied);
    r.add("Adaptive Blur", sameNameFilterPremultiplied);
    r.add("Detail Blur", sameNameFilterPremultiplied);
    r.add("Value Blur", sameNameFilterPremultiplied);
    r.add("Noise Reduction", sameNameFilterPremultiplied);
    r.add("Noise Reduction RGB", sameNameFilterPremultiplied);
    r.add("Smart Blur", smartBlur);
    r.add("Hyper Contrast", sameNameFilter);
    r.add("Adjust Lab", sameNameFilter);
    r.add("Channel", sameNameFilter);
    r.add("Fader", sameNameFilter);
    r.add("Adjust RGBA", sameNameFilter);
    r.add("Basic Threshold", sameNameFilter);
    r.add("Alpha Edge Color", sameNameFilter);
    r.add("Line Art Cleaner", sameNameFilter);
    r.add("Clamp", sameNameFilter);
    r.add("Bas Relief", sameNameFilter);
    r.add("Vignette", sameNameFilter);
    r.add("Borderize", sameNameFilter);
    r.add("Reflection", sameNameFilter);
    r.add("Mirror", sameNameFilter);
}

}  // namespace dro
