// Tone effects: one table per channel computed from the settings (and for some from
// the layer's histogram), applied to a fresh copy of the layer and written back.
#include <array>
#include <cmath>
#include <vector>

#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/lib/grayscale.h"
#include "imaging/lib/hsl_stretch.h"
#include "imaging/lib/local_contrast.h"
#include "imaging/lib/tone.h"

namespace dro {
namespace {

constexpr std::string_view kTone = "Tone";

// The layer in the source, the same table on R, G and B, written back.
template <class MakeTable>
void colourTable(MakeTable&& make) {
    runOnLayerCopy([&](const IplPair& p) {
        const ToneTable t = make(p);
        IS40_ApplyLUTsToImage(p.source, p.width, p.height, p.width * 4, &t, &t, &t, nullptr);
    });
}

void brightnessContrast(const EffectArgs& a) {
    colourTable([&](const IplPair&) {
        return brightnessContrastTable(a.percent[0] * 0.02 - 1.0, a.percent[1] * 0.02 - 1.0);
    });
}

// 50 % is gamma 1; each 50 % either way is a factor of ten.
void gamma(const EffectArgs& a) {
    colourTable([&](const IplPair&) { return gammaTable(std::pow(10.0, (a.percent[0] - 50.0) / 50.0)); });
}

std::array<uint32_t, 256> brightnessCounts(const IplPair& p) {
    return is5_GetBrightnessHistogram(p.source, p.width, p.height, p.width * 4);
}

void histogramEqualize(const EffectArgs&) {
    colourTable([](const IplPair& p) { return equalizeTable(brightnessCounts(p)); });
}
void histogramStretch(const EffectArgs&) {
    colourTable([](const IplPair& p) { return stretchTable(brightnessCounts(p)); });
}

// Each channel by its own histogram.
template <ToneTable (*fromCounts)(const std::array<uint32_t, 256>&) noexcept>
void perChannelHistogram(const EffectArgs&) {
    runOnLayerCopy([](const IplPair& pair) {
        std::array<std::array<uint32_t, 256>, 3> counts{};
        const size_t n = static_cast<size_t>(pair.width) * static_cast<size_t>(pair.height);
        for (size_t i = 0; i < n; ++i)
            for (size_t c = 0; c < 3; ++c) ++counts[c][pair.source[i * 4 + c]];
        const ToneTable r = fromCounts(counts[0]), g = fromCounts(counts[1]), b = fromCounts(counts[2]);
        IS40_ApplyLUTsToImage(pair.source, pair.width, pair.height, pair.width * 4, &r, &g, &b, nullptr);
    });
}

int32_t percentByte(float p) noexcept { return static_cast<uint8_t>(static_cast<int32_t>(p * 2.559)); }

// The black and white points where 1 % of the pixels lie beyond them.
std::pair<int32_t, int32_t> automaticPoints(const IplPair& p) {
    const auto counts = brightnessCounts(p);
    const uint64_t t = static_cast<uint64_t>(p.width) * static_cast<uint64_t>(p.height) / 100;
    int32_t black = 0, white = 255;
    uint64_t sum = 0;
    for (int32_t i = 0; i <= 254; ++i)
        if ((sum += counts[static_cast<size_t>(i)]) > t) {
            black = i;
            break;
        }
    sum = 0;
    for (int32_t i = 254; i >= 0; --i)
        if ((sum += counts[static_cast<size_t>(i)]) > t) {
            white = i;
            break;
        }
    return {black, white};
}

void levels(const EffectArgs& a) {
    runOnLayerCopy([&](const IplPair& pair) {
        const auto [black, white] =
            a.flag[4] ? automaticPoints(pair) : std::pair{percentByte(a.percent[0]), percentByte(a.percent[1])};
        const ToneTable in = levelsInputTable(black, white);
        const ToneTable out = levelsOutputTable(percentByte(a.percent[2]), percentByte(a.percent[3]));
        const auto pick = [&](int c, const ToneTable& t) { return a.flag[static_cast<size_t>(c)] ? &t : nullptr; };
        for (const ToneTable* t : {&in, &out})
            IS40_ApplyLUTsToImage(pair.source, pair.width, pair.height, pair.width * 4, pick(0, *t), pick(1, *t),
                                  pick(2, *t), pick(3, *t));
    });
}

void hslStretch(const EffectArgs&) {
    runOnLayerCopy([](const IplPair& p) { IS3BrightnessHistogramStretchImageInHSL(p.source, p.width, p.height, p.width * 4); });
}

// Dim detail brought up: the picture's grey statistics pick the dark, textured areas
// whose colour is then amplified.
void hdri(const EffectArgs& a) {
    runLibraryStep(Premultiply::no, [&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        std::vector<uint8_t> grey(static_cast<size_t>(w) * static_cast<size_t>(h));
        if (!IS3ImageToGrayScale8Bit(s, w, h, 4, w * 4, grey.data(), w, 0)) return false;
        const double mean = ISE40_FindImageMean(grey.data(), w, h);
        const double deviation = ISE40_FindImageStandardDeviation(grey.data(), w, h, mean);
        return ISE40_LocalHistogramEnhancement(s, w, h, 4, w * 4, d, mean, deviation,
                                               1 + static_cast<int32_t>(a.percent[1] * 0.2), 1.0 + a.percent[0] * 0.03,
                                               a.percent[2] * 0.02, a.percent[3] * 0.005, a.percent[4] * 0.03);
    });
}

}  // namespace

void registerToneEffects(EffectRegistry& r) {
    r.add("Brightness and Contrast", kTone, "moves brightness and scales contrast about the middle grey",
          brightnessContrast,
          {slider(1, 500, "brightness: 500 = none, 0 and 1000 = −255 and +255 levels"),
           slider(2, 500, "contrast: 500 = none, 0 = flat grey, 1000 = a step at the middle")});
    r.add("Gamma", kTone, "gamma curve on R, G and B", gamma,
          {slider(1, 500, "gamma: 500 = 1, each 500 either way a factor of ten")});
    r.add("Histogram Equalize", kTone, "spreads the brightness histogram evenly", histogramEqualize);
    r.add("Histogram Stretch", kTone, "stretches the used brightness range to black..white", histogramStretch);
    r.add("Histogram Equalize PHASED OUT", kTone, "equalises each channel by its own histogram",
          perChannelHistogram<equalizeTable>);
    r.add("Histogram Stretch PHASED OUT", kTone, "stretches each channel's used range to 0..255",
          perChannelHistogram<stretchTable>);
    r.add("Levels", kTone, "input black and white points, then an output range, on the chosen channels",
          levels,
          {slider(1, 0, "input black point: value × 0.2559"), slider(2, 1000, "input white point"),
           slider(3, 0, "output low"), slider(4, 1000, "output high (below low inverts)"), flag(1, "red"),
           flag(2, "green"), flag(3, "blue"), flag(4, "alpha"),
           flag(5, "find the input points where 1 % of the pixels lie beyond")});
    r.add("Brightness Histogram Stretch HSL", kTone,
          "the lightness range stretched to black..white, hue and saturation kept", hslStretch);
    r.add("HDRI", kTone, "brings up detail in dark areas, chosen by local against global grey statistics", hdri,
          {slider(1, 333, "gain: 1 + value × 0.003"), slider(2, 100, "window radius: 1 + value ÷ 50 pixels"),
           slider(3, 200, "dark area: local mean at most value × 0.002 of the global mean"),
           slider(4, 40, "least detail: local deviation at least value × 0.0005 of the global one"),
           slider(5, 133, "most detail: local deviation at most value × 0.003 of the global one")});
}

}  // namespace dro
