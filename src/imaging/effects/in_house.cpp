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

constexpr std::string_view kBlur = "Blurs";
constexpr std::string_view kTone = "Tone";
constexpr std::string_view kColour = "Colour";
constexpr std::string_view kNoiseRemoval = "Noise removal";
constexpr std::string_view kFrame = "Frame and layout";

}  // namespace

void registerInHouseEffects(EffectRegistry& r) {
    r.add("Box Blur", kBlur, "three rounds of vertical and horizontal box averages", sameNameFilterPremultiplied,
          {slider(1, 20, "radius: trunc(value × 0.1 + 1) pixels", 1000), flag(1, "wrap around the edges")});
    r.add("Anti Alias", kBlur, "softens stair steps along light/dark edges (eight sweeps)",
          sameNameFilterPremultiplied,
          {slider(1, 500, "weight kept where the edge darkens"), slider(2, 500, "weight kept where it lightens"),
           slider(3, 800, "dark-step sensitivity"), slider(4, 800, "light-step sensitivity")});
    r.add("Adaptive Blur", kBlur, "mixes a pixel with its four neighbours where it stands out",
          sameNameFilterPremultiplied,
          {slider(1, 800, "sensitivity: difference over (1 − value) × 255 triggers"),
           slider(2, 500, "mix weight for a brighter pixel"), slider(3, 500, "mix weight for a darker pixel")});
    r.add("Detail Blur", kBlur, "3 × 3 mean where a pixel differs from its surroundings",
          sameNameFilterPremultiplied, {slider(1, 100, "threshold: value × 0.255 levels")});
    r.add("Value Blur", kBlur, "eight sweeps mixing towards the darker (or lighter) neighbour",
          sameNameFilterPremultiplied,
          {slider(1, 500, "weight kept when the next pixel is darker"),
           slider(2, 500, "weight kept when the next pixel is lighter")});
    r.add("Noise Reduction", kNoiseRemoval, "eight sweeps mixing neighbours of similar brightness",
          sameNameFilterPremultiplied,
          {slider(1, 500, "strength"), slider(2, 100, "brightness threshold: value × 0.255 levels")});
    r.add("Noise Reduction RGB", kNoiseRemoval, "per-channel sweeps mixing neighbours of similar value",
          sameNameFilterPremultiplied,
          {slider(1, 500, "red strength"), slider(2, 100, "red threshold"), slider(3, 500, "green strength"),
           slider(4, 100, "green threshold"), slider(5, 500, "blue strength"), slider(6, 100, "blue threshold")});
    r.add("Smart Blur", kNoiseRemoval, "\"Noise Reduction\" on premultiplied colour", smartBlur,
          {slider(1, 500, "strength"), slider(2, 100, "brightness threshold: value × 0.255 levels")});
    r.add("Hyper Contrast", kTone, "steep S-curve contrast", sameNameFilter,
          {slider(1, 500, "strength: curve divisor (1 − value) × 255")});
    r.add("Adjust Lab", kColour, "moves L, a and b", sameNameFilter,
          {slider(1, 500, "lightness (500 = none, ±100)"), slider(2, 500, "a: green–red (500 = none)"),
           slider(3, 500, "b: blue–yellow (500 = none)")});
    r.add("Channel", kColour, "keeps one channel as a coloured alpha image", sameNameFilter,
          {flag(1, "red channel"), flag(2, "green channel"), flag(3, "blue channel")});
    r.add("Fader", kTone, "multiplies saturation, lightness or alpha by a two-way gradient", sameNameFilter,
          {slider(1, 500, "top factor (500 = 1)"), slider(2, 500, "bottom factor"), slider(3, 500, "left factor"),
           slider(4, 500, "right factor"), flag(1, "over the layer's content box"), flag(2, "saturation"),
           flag(3, "lightness"), flag(4, "alpha")});
    r.add("Adjust RGBA", kColour, "moves each channel towards 0 or 255", sameNameFilter,
          {slider(1, 500, "red (500 = none)"), slider(2, 500, "green"), slider(3, 500, "blue"),
           slider(4, 500, "alpha")});
    r.add("Basic Threshold", kTone, "black or white by brightness", sameNameFilter,
          {slider(1, 500, "threshold: value × 0.255 levels")});
    r.add("Alpha Edge Color", kColour, "colours and hardens the half-transparent rim", sameNameFilter,
          {slider(1, 0, "rim red"), slider(2, 0, "rim green"), slider(3, 0, "rim blue"),
           slider(4, 100, "alpha at or below this becomes 0"), slider(5, 900, "alpha from this up is solid"),
           flag(1, "make the rim and the inside opaque")});
    r.add("Line Art Cleaner", kTone, "thresholds line art and whitens specks", sameNameFilter,
          {slider(1, 500, "ink threshold"), slider(2, 100, "speck contrast")});
    r.add("Clamp", kColour, "replaces channel values beyond two limits", sameNameFilter,
          {slider(1, 100, "low limit"), slider(2, 0, "value below the low limit"), slider(3, 900, "high limit"),
           slider(4, 1000, "value above the high limit"), flag(1, "red"), flag(2, "green"), flag(3, "blue"),
           flag(4, "alpha")});
    r.add("Bas Relief", kTone, "pushes lightness and saturation away from a lit neighbour", sameNameFilter,
          {slider(1, 300, "strength"), style(1, 0, 3, "light from: 0 left, 1 above, 2 up-left, 3 none")});
    r.add("Vignette", kFrame, "soft elliptical or rectangular falloff to a colour or transparency",
          sameNameFilter,
          {slider(1, 0, "vignette red"), slider(2, 0, "vignette green"), slider(3, 0, "vignette blue"),
           slider(4, 300, "softness: blur radius × 10 % of the longer side"), slider(5, 400, "shape size"),
           slider(6, 1000, "strength"), flag(1, "fade to the colour"), flag(2, "fade alpha to 0"),
           flag(3, "invert the shape"), flag(4, "rectangle"), flag(5, "same inset on both sides"),
           flag(6, "use the tool colour")});
    r.add("Borderize", kFrame, "rings in an edge pixel's colour", sameNameFilter,
          {slider(1, 0, "where on the edge the colour is sampled"), slider(2, 100, "border width: share of half the shorter side")});
    r.add("Reflection", kFrame, "a fading reflection under the content", sameNameFilter,
          {slider(1, 500, "start height"), slider(2, 500, "first opacity"), slider(3, 0, "last opacity share"),
           slider(4, 250, "squeeze"), flag(1, "start under the solid content"), flag(2, "start at the same row in every column")});
    r.add("Mirror", kFrame, "mirrors the image into its edges", sameNameFilter,
          {slider(1, 0, "bottom share"), slider(2, 0, "top share"), slider(3, 0, "right share"),
           slider(4, 0, "left share")});
}

}  // namespace dro
