// Effects that build the selection mask from the current layer. They change no
// pixels, so nothing is written back: a write-back of the unchanged copy through a
// partial mask would only drop the low bytes of the 16-bit channels.
#include "imaging/color/color_conversions.h"
#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/filter_frame.h"
#include "imaging/working_buffer_ops.h"
#include "mask/mask_builders.h"
#include "mask/mask_whole.h"

namespace dro {
namespace {

// The mask starts fully editable; the filter then writes its values.
void maskFilter(const EffectArgs& args) {
    if (!iplPair()) return;
    updateIplSource32();
    clearMask(0, 0, 0);
    runFilterFrame(args.name, args.filterSettings(0));
}

// Selects the pixels near an HSL colour: hue p1 * 3.6 degrees, saturation p2 and
// lightness p3 percent, within tolerances p4 (percent of 180 degrees), p5 and p6
// (percent). The first pass protects every pixel (full tolerances match all of them),
// the second makes the matching ones editable.
void maskGenerateHsl(const EffectArgs& args) {
    const IplPair pair = iplPair();
    if (!pair) return;
    updateIplSource32();
    const auto& p = args.percent;
    const color::Rgb8 key = color::hslToRgb({p[0] * 3.6, p[1] * 0.01, p[2] * 0.01});
    clearMask(0, 0, 0);
    createMaskFromRGBAImageHSLRange(pair.source, key.r, key.g, key.b, 1.0, 1.0, 1.0, 255);
    createMaskFromRGBAImageHSLRange(pair.source, key.r, key.g, key.b, p[3] * 0.01, p[4] * 0.01, p[5] * 0.01, 0);
}

}  // namespace

void registerMaskEffects(EffectRegistry& r) {
    r.add("Mask Generate HSL", maskGenerateHsl);
    r.add("Mask Detail", maskFilter);
    r.add("Mask High Low", maskFilter);
}

}  // namespace dro
