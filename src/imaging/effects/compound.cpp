// Effects built as chains of in-house filters, library calls and merges into the
// layer. A filter run "in place" works on the destination the previous step left, so a
// chain can refine one picture before it is written or merged; "write" stores the
// destination in the layer and refreshes the source, so the next step starts from it.
#include <algorithm>

#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/effects/photo_pop.h"
#include "imaging/filter_frame.h"
#include "imaging/lib/blur.h"
#include "imaging/lib/colour_ops.h"
#include "imaging/lib/noise.h"

namespace dro {
namespace {

constexpr std::string_view kCompound = "Compound";

enum class Mode : int32_t { normal = 0, overlay = 11, dodge = 14, subtract = 19, texturize = 27 };
enum InPlace : uint8_t { fromSource = 0, onDestination = 1 };

struct Chain {
    const EffectArgs& args;
    IplPair pair = iplPair();

    // Runs a filter with the effect's settings, or with its first slider replaced.
    bool filter(std::string_view name, InPlace inPlace, int32_t firstSlider = -1) const {
        FilterSettings s = args.filterSettings(inPlace);
        if (firstSlider >= 0) s.slider[0] = firstSlider;
        return runFilterFrame(name, s);
    }
    void write() const { writeBackAndRefresh(pair.destination); }
    void merge(Mode mode) const { mergeIntoLayer(pair.destination, static_cast<int32_t>(mode), 255); }
};

void charcoal(const EffectArgs& a) {
    Chain c{a};
    if (!c.pair) return;
    updateSourceFromLayer();
    c.filter("Grayscale", fromSource);
    c.write();
    c.filter("Invert", fromSource);
    c.filter("Value Blur", onDestination);
    c.merge(Mode::dodge);
}

// Relief, contrast, then saturation by p2 (50 % keeps it, 0 grey, 100 % doubled).
void colourPencilSteps(const Chain& c) {
    updateSourceFromLayer();
    c.filter("Bas Relief", fromSource, 300);
    c.write();
    c.filter("Hyper Contrast", fromSource);
    c.write();
    IS3ModifyImageSaturation(c.pair.source, c.pair.width, c.pair.height, c.pair.width * 4, c.args.percent[1] * 0.02);
    writeBackAndRefresh(c.pair.source);
}

void colourPencil(const EffectArgs& a) {
    const Chain c{a};
    if (c.pair) colourPencilSteps(c);
}

void crayonSteps(const Chain& c) {
    colourPencilSteps(c);
    c.filter("Value Blur", fromSource);
    c.write();
}

void crayon(const EffectArgs& a) {
    const Chain c{a};
    if (c.pair) crayonSteps(c);
}

void pointillism(const EffectArgs& a) {
    const Chain c{a};
    if (!c.pair) return;
    crayonSteps(c);
    addNoise(c.pair.source, c.pair.width, c.pair.height, c.pair.width * 4, NoiseDistribution::gaussian,
             static_cast<int32_t>(a.percent[2] * 200.0f), false, 7, 0x5eed);
    writeBackAndRefresh(c.pair.source);
}

void colourContrast(const EffectArgs& a) {
    const Chain c{a};
    if (!c.pair) return;
    updateSourceFromLayer();
    c.filter("Grayscale", fromSource);
    c.filter("Invert", onDestination);
    c.merge(Mode::overlay);
    c.filter("Hyper Contrast", fromSource);
    c.write();
}

void glow(const EffectArgs& a) {
    const Chain c{a};
    if (!c.pair) return;
    updateSourceFromLayer();
    c.filter("Invert", fromSource);
    c.filter("Value Blur", onDestination);
    c.merge(Mode::subtract);
}

void edge3(const EffectArgs& a) {
    charcoal(a);  // the same steps
}

void outliner1(const EffectArgs& a) {
    const Chain c{a};
    if (!c.pair) return;
    updateSourceFromLayer();
    c.filter("Grayscale", fromSource);
    c.filter("Invert", onDestination);
    c.filter("Value Blur", onDestination);
    c.merge(Mode::texturize);
}

void outliner2(const EffectArgs& a) {
    if (!iplPair()) return;
    photoPop(a.slider[0], a.percent[1], a.flag[0]);
    outliner1(a);
}

void highPass(const EffectArgs& a) {
    const Chain c{a};
    if (!c.pair) return;
    updateSourceFromLayer();
    c.filter("Invert", fromSource);
    std::copy_n(c.pair.destination, static_cast<size_t>(c.pair.width) * static_cast<size_t>(c.pair.height) * 4,
                c.pair.source);
    c.filter("Box Blur", fromSource);
    c.merge(Mode::normal);
}

void radiant(const EffectArgs& a) {
    const Chain c{a};
    if (!c.pair) return;
    updateSourceFromLayer();
    premultiplyForNeighbourhood(c.pair.source, c.pair.width, c.pair.height);
    if (!is5_GaussianBlurImage(c.pair.source, c.pair.width, c.pair.height, 4, c.pair.width * 4, c.pair.destination,
                               c.pair.width * 4, a.percent[0] * 0.4 + 0.6, 271))
        return;
    unpremultiplyBlock(c.pair.destination, c.pair.width, c.pair.height);
    c.merge(Mode::overlay);
}

void photoPopEffect(const EffectArgs& a) {
    if (iplPair()) photoPop(a.slider[0], a.percent[1], a.flag[0]);
}

constexpr ControlInfo kValueBlurDark = slider(1, 500, "blur weight toward darker neighbours");
constexpr ControlInfo kValueBlurLight = slider(2, 500, "blur weight toward lighter neighbours");

}  // namespace

void registerCompoundEffects(EffectRegistry& r) {
    r.add("Charcoal", kCompound, "grey, then a dodge of its blurred negative: a drawing", charcoal,
          {kValueBlurDark, kValueBlurLight});
    r.add("Edge3", kCompound, "grey, then a dodge of its blurred negative: outlines", edge3,
          {kValueBlurDark, kValueBlurLight});
    r.add("Color Pencil", kCompound, "relief, contrast and saturation", colourPencil,
          {slider(1, 500, "contrast"), slider(2, 500, "saturation: 500 keeps it, 0 grey, 1000 doubled")});
    r.add("Crayon", kCompound, "\"Color Pencil\" then a value blur", crayon,
          {slider(1, 500, "contrast and blur toward darker neighbours"),
           slider(2, 500, "saturation and blur toward lighter neighbours")});
    r.add("Pointillism", kCompound, "\"Crayon\" then coloured Gaussian noise", pointillism,
          {slider(1, 500, "contrast and blur toward darker neighbours"),
           slider(2, 500, "saturation and blur toward lighter neighbours"),
           slider(3, 100, "noise: standard deviation value × 0.2 levels")});
    r.add("Color Contrast", kCompound, "overlay of the grey negative, then hyper contrast", colourContrast,
          {slider(1, 300, "contrast")});
    r.add("Glow", kCompound, "subtracts the blurred negative", glow, {kValueBlurDark, kValueBlurLight});
    r.add("Outliner 1", kCompound, "texturize by the blurred grey negative", outliner1,
          {kValueBlurDark, kValueBlurLight});
    r.add("Outliner 2", kCompound, "\"Photo Pop\" then \"Outliner 1\"", outliner2,
          {slider(1, 300, "pop contrast and blur toward darker neighbours"),
           slider(2, 500, "pop saturation and blur toward lighter neighbours"), flag(1, "extra contrast first")});
    r.add("High Pass", kCompound, "the box-blurred negative laid over the layer", highPass,
          {slider(1, 20, "blur radius: trunc(value × 0.1 + 1) pixels")});
    r.add("Radiant", kCompound, "overlay of a Gaussian blur of the layer", radiant,
          {slider(1, 100, "radius: value × 0.04 + 0.6 pixels")});
    r.add("Photo Pop", kCompound, "sharpen, contrast and saturation", photoPopEffect,
          {slider(1, 300, "contrast"), slider(2, 600, "saturation: 0 → −2, 500 → 1 (none), 1000 → 3"),
           flag(1, "extra contrast first")});
}

}  // namespace dro
