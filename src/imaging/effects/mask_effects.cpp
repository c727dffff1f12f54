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
    constexpr std::string_view kMask = "Mask";
    r.add("Mask Generate HSL", kMask, "selects the pixels near an HSL colour", maskGenerateHsl,
          {slider(1, 0, "hue: value × 0.36 degrees"), slider(2, 500, "saturation"), slider(3, 500, "lightness"),
           slider(4, 100, "hue tolerance (1000 = 180 degrees)"), slider(5, 200, "saturation tolerance"),
           slider(6, 200, "lightness tolerance")});
    r.add("Mask Detail", kMask, "marks pixels that differ from their neighbours", maskFilter,
          {slider(1, 100, "difference: value × 0.255 levels"), slider(2, 0, "mask value: 1000 = editable"),
           flag(2, "against all eight neighbours")});
    r.add("Mask High Low", kMask, "masks by brightness above and below two levels", maskFilter,
          {slider(1, 800, "high level"), slider(2, 200, "low level")});
}

}  // namespace dro
