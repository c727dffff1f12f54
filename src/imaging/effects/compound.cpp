// Effects built as chains of in-house filters, library calls and merges into the
// layer. A filter run "in place" works on the destination the previous step left, so a
// chain can refine one picture before it is written or merged; "write" stores the
// destination in the layer and refreshes the source, so the next step starts from it.
#include <algorithm>
#include <vector>

#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/effects/photo_pop.h"
#include "imaging/filter_frame.h"
#include "imaging/lib/blur.h"
#include "imaging/lib/colour_ops.h"
#include "imaging/lib/denoise.h"
#include "imaging/lib/local_contrast.h"
#include "imaging/lib/noise.h"
#include "imaging/lib/painterly.h"

namespace dro {
namespace {

constexpr std::string_view kCompound = "Compound";

enum class Mode : int32_t {
    normal = 0, overlay = 11, softLight = 13, dodge = 14, subtract = 19, texturize = 27, texturize2 = 28 };
enum InPlace : uint8_t { fromSource = 0, onDestination = 1 };

struct Chain {
    const EffectArgs& args;
    IplPair pair = iplPair();

    // Runs a filter with the effect's settings, or with its first (and second) slider replaced.
    bool filter(std::string_view name, InPlace inPlace, int32_t firstSlider = -1, int32_t secondSlider = -1) const {
        FilterSettings s = args.filterSettings(inPlace);
        if (firstSlider >= 0) s.slider[0] = firstSlider;
        if (secondSlider >= 0) s.slider[1] = secondSlider;
        return runFilterFrame(name, s);
    }
    size_t bytes() const noexcept { return static_cast<size_t>(pair.width) * static_cast<size_t>(pair.height) * 4; }
    // The source (the layer as it now is) into the destination, for a step that works there.
    void destinationFromSource() const { std::copy_n(pair.source, bytes(), pair.destination); }
    void write() const { writeBackAndRefresh(pair.destination); }
    void merge(Mode mode) const { mergeIntoLayer(pair.destination, static_cast<int32_t>(mode), 255); }
};

// Most chains start from the layer as it now is: with no IPL pair there is nothing to
// work in, else the source is refreshed before the first step.
template <void (*Steps)(const Chain&)>
void fromLayer(const EffectArgs& a) {
    const Chain c{a};
    if (!c.pair) return;
    updateSourceFromLayer();
    Steps(c);
}

void charcoal(const Chain& c) {
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

void colourContrast(const Chain& c) {
    c.filter("Grayscale", fromSource);
    c.filter("Invert", onDestination);
    c.merge(Mode::overlay);
    c.filter("Hyper Contrast", fromSource);
    c.write();
}

void glow(const Chain& c) {
    c.filter("Invert", fromSource);
    c.filter("Value Blur", onDestination);
    c.merge(Mode::subtract);
}

void outliner1(const Chain& c) {
    c.filter("Grayscale", fromSource);
    c.filter("Invert", onDestination);
    c.filter("Value Blur", onDestination);
    c.merge(Mode::texturize);
}

void outliner2(const EffectArgs& a) {
    if (!iplPair()) return;
    photoPop(a.slider[0], a.percent[1], a.flag[0]);
    fromLayer<outliner1>(a);
}

void highPass(const Chain& c) {
    c.filter("Invert", fromSource);
    std::copy_n(c.pair.destination, static_cast<size_t>(c.pair.width) * static_cast<size_t>(c.pair.height) * 4,
                c.pair.source);
    c.filter("Box Blur", fromSource);
    c.merge(Mode::normal);
}

void radiant(const Chain& c) {
    premultiplyForNeighbourhood(c.pair.source, c.pair.width, c.pair.height);
    if (!is5_GaussianBlurImage(c.pair.source, c.pair.width, c.pair.height, 4, c.pair.width * 4, c.pair.destination,
                               c.pair.width * 4, c.args.percent[0] * 0.4 + 0.6, 271))
        return;
    unpremultiplyBlock(c.pair.destination, c.pair.width, c.pair.height);
    c.merge(Mode::overlay);
}

// The contrast mask's settings: a blur radius, the strength of the broad light-and-shade
// correction, and the grey whose soft light sets the overall brightness at the end.
double maskRadius(const EffectArgs& a) noexcept { return a.percent[0] * 0.4 + 0.6; }

bool contrastMaskStep(const Chain& c) {
    bool ran = false;
    runLibraryStep(Premultiply::no, [&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return ran = is5_ContrastMaskImage(s, w, h, 4, w * 4, d, maskRadius(c.args), c.args.percent[1] * 0.01);
    });
    return ran;
}

// The grey negative of the layer, blurred (premultiplied, so transparent pixels lend
// nothing), laid over it in soft light: broad light and shade evened out.
void softLightOfBlurredNegative(const Chain& c) {
    c.filter("Grayscale", fromSource);
    c.filter("Invert", onDestination);
    premultiplyForNeighbourhood(c.pair.destination, c.pair.width, c.pair.height);
    is5_GaussianBlurImage(c.pair.destination, c.pair.width, c.pair.height, 4, c.pair.width * 4, c.pair.destination,
                          c.pair.width * 4, maskRadius(c.args), 271);
    unpremultiplyBlock(c.pair.destination, c.pair.width, c.pair.height);
    c.merge(Mode::softLight);
}

// The steps "Contrast Mask" and "Photo Detailer" share, ending on a soft light of one
// grey (slider 3) that keeps the layer's alpha, so transparent pixels stay transparent.
void contrastMaskSteps(const Chain& c) {
    if (!contrastMaskStep(c)) return;
    softLightOfBlurredNegative(c);
    runRgb24Step([](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return is5_BilateralFilterImage(s, w, h, 3, w * 3, d, 1.5, 20.0);
    });
    softLightOfBlurredNegative(c);
    const uint8_t grey = static_cast<uint8_t>(c.args.percent[2] * 2.55f);
    c.destinationFromSource();
    for (size_t i = 0; i < c.bytes(); i += 4) c.pair.destination[i] = c.pair.destination[i + 1] = c.pair.destination[i + 2] = grey;
    c.merge(Mode::softLight);
}

void photoDetailer(const Chain& c) {
    contrastMaskSteps(c);
    photoPop(c.args.slider[3], c.args.percent[4], 0);
    c.destinationFromSource();
    c.filter("Invert", onDestination);
    c.filter("Value Blur", onDestination, c.args.slider[5], c.args.slider[5]);
    c.merge(Mode::texturize);
}

void radiant2(const Chain& c) {
    if (!is5_ContrastMaskImage(c.pair.source, c.pair.width, c.pair.height, 4, c.pair.width * 4, c.pair.destination,
                               maskRadius(c.args), c.args.percent[1] * 0.01))
        return;
    c.filter("Invert", onDestination);
    c.merge(Mode::texturize);
}

// Pop the photo, then texture it with a scribbled, blurred grey negative of itself.
void watercolourAndInk(const EffectArgs& a) {
    const Chain c{a};
    if (!c.pair) return;
    photoPop(a.slider[0], a.percent[1], 0);
    c.filter("Grayscale", fromSource);
    c.filter("Invert", onDestination);
    // Scribbled in the negative's own colours; alpha is kept as in the 24-bit frame.
    std::vector<uint8_t> negative(c.pair.destination, c.pair.destination + c.bytes());
    if (!ISE3Scribble(negative.data(), c.pair.width, c.pair.height, 4, c.pair.width * 4, c.pair.destination, 0,
                      1 + static_cast<int32_t>(a.percent[2] * 0.5), 100, 0x5eed0000))
        return;
    c.filter("Value Blur", onDestination, 1000);
    c.merge(Mode::texturize2);
}

void photoPopEffect(const EffectArgs& a) {
    if (iplPair()) photoPop(a.slider[0], a.percent[1], a.flag[0]);
}

constexpr ControlInfo kValueBlurDark = slider(1, 500, "blur weight toward darker neighbours");
constexpr ControlInfo kValueBlurLight = slider(2, 500, "blur weight toward lighter neighbours");

}  // namespace

void registerCompoundEffects(EffectRegistry& r) {
    r.add("Charcoal", kCompound, "grey, then a dodge of its blurred negative: a drawing", fromLayer<charcoal>,
          {kValueBlurDark, kValueBlurLight});
    r.add("Edge3", kCompound, "grey, then a dodge of its blurred negative: outlines", fromLayer<charcoal>,
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
    r.add("Color Contrast", kCompound, "overlay of the grey negative, then hyper contrast", fromLayer<colourContrast>,
          {slider(1, 300, "contrast")});
    r.add("Glow", kCompound, "subtracts the blurred negative", fromLayer<glow>, {kValueBlurDark, kValueBlurLight});
    r.add("Outliner 1", kCompound, "texturize by the blurred grey negative", fromLayer<outliner1>,
          {kValueBlurDark, kValueBlurLight});
    r.add("Outliner 2", kCompound, "\"Photo Pop\" then \"Outliner 1\"", outliner2,
          {slider(1, 300, "pop contrast and blur toward darker neighbours"),
           slider(2, 500, "pop saturation and blur toward lighter neighbours"), flag(1, "extra contrast first")});
    r.add("High Pass", kCompound, "the box-blurred negative laid over the layer", fromLayer<highPass>,
          {slider(1, 20, "blur radius: trunc(value × 0.1 + 1) pixels")});
    r.add("Radiant", kCompound, "overlay of a Gaussian blur of the layer", fromLayer<radiant>,
          {slider(1, 100, "radius: value × 0.04 + 0.6 pixels")});
    r.add("Contrast Mask", kCompound, "broad light and shade evened out, fine contrast kept",
          fromLayer<contrastMaskSteps>,
          {slider(1, 100, "reach: blur radius value × 0.04 + 0.6 pixels"), slider(2, 300, "strength: value × 0.1 %"),
           slider(3, 500, "overall brightness: soft light of grey value × 0.255")});
    r.add("Photo Detailer", kCompound, "\"Contrast Mask\", \"Photo Pop\", then texture from the blurred negative",
          fromLayer<photoDetailer>,
          {slider(1, 100, "reach: blur radius value × 0.04 + 0.6 pixels"), slider(2, 300, "strength: value × 0.1 %"),
           slider(3, 500, "overall brightness: soft light of grey value × 0.255"), slider(4, 300, "pop contrast"),
           slider(5, 600, "pop saturation: 0 → −2, 500 → 1 (none), 1000 → 3"),
           slider(6, 500, "texture softness: value blur weight")});
    r.add("Radiant 2", kCompound, "texture from the negative of the contrast-masked layer", fromLayer<radiant2>,
          {slider(1, 100, "reach: blur radius value × 0.04 + 0.6 pixels"), slider(2, 300, "strength: value × 0.1 %")});
    r.add("Watercolor and Ink", kCompound, "\"Photo Pop\", then texture from a scribbled, blurred grey negative",
          watercolourAndInk,
          {slider(1, 300, "pop contrast"), slider(2, 600, "pop saturation: 0 → −2, 500 → 1 (none), 1000 → 3"),
           slider(3, 160, "stroke length: 1 + value × 0.05 pixels")});
    r.add("Photo Pop", kCompound, "sharpen, contrast and saturation", photoPopEffect,
          {slider(1, 300, "contrast"), slider(2, 600, "saturation: 0 → −2, 500 → 1 (none), 1000 → 3"),
           flag(1, "extra contrast first")});
}

}  // namespace dro
