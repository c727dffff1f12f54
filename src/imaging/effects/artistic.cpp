// Artistic effects: the picture redrawn as paint, dots, strokes, cells, cracks, ridges
// or edges. The colour filters work in RGB24 (alpha kept); the cell filters on the
// layer copy; the grey ones take the picture's grey first and spread their grey result
// to R, G and B.
#include <algorithm>
#include <vector>

#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/lib/canny.h"
#include "imaging/lib/cells.h"
#include "imaging/lib/deinterlace.h"
#include "imaging/lib/fingerprint.h"
#include "imaging/lib/grayscale.h"
#include "imaging/lib/painterly.h"
#include "imaging/lib/soft_colour.h"

namespace dro {
namespace {

constexpr std::string_view kArtistic = "Artistic";
constexpr uint64_t kPatternSeed = 0x5eed0000;

int32_t whole(double v) noexcept { return static_cast<int32_t>(v); }

void oilPaint(const EffectArgs& a) {
    runRgb24Step([&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return ISE3OilPaintRGB(s, w, h, 3, w * 3, d, 1 + whole(a.percent[0] * 0.1), 2 + whole(a.percent[1] * 0.6));
    });
}

void stipple(const EffectArgs& a) {
    runRgb24Step([&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return ISE3Stipple(s, w, h, 3, w * 3, d, 1 + whole(a.percent[0] * 0.15), a.percent[1] * 0.02,
                           static_cast<uint32_t>(a.colour), a.flag[0] != 0, kPatternSeed + static_cast<uint32_t>(a.variant));
    });
}

void scribble(const EffectArgs& a) {
    runRgb24Step([&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return ISE3Scribble(s, w, h, 3, w * 3, d, std::clamp(a.style[0], 0, 1), 1 + whole(a.percent[0] * 0.5),
                            whole(a.percent[1] * 10.0), kPatternSeed + static_cast<uint32_t>(a.variant));
    });
}

void crackle(const EffectArgs& a) {
    runRgb24Step([&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return ISE3CrackleRGB(s, w, h, 3, w * 3, d, 2 + whole(a.percent[0] * 0.3), a.percent[1] * 0.05,
                              a.percent[2] * 0.01, kPatternSeed + static_cast<uint32_t>(a.variant));
    });
}

void gauzy(const EffectArgs& a) {
    runRgb24Step([&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return ISE3GauzyRGB(s, w, h, 3, w * 3, d, 0.5 + a.percent[0] * 0.2, a.percent[1] * 0.01);
    });
}

void halftone(const EffectArgs& a) {
    runLibraryStep(Premultiply::no, [&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return ISE3HalftoneImage(s, w, h, 4, w * 4, d, 2 + whole(a.percent[0] * 0.3), a.flag[0] != 0);
    });
}

void mosaic(const EffectArgs& a) {
    runLibraryStep(Premultiply::yes, [&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return ISE3MosaicImage(s, w, h, 4, w * 4, d, std::max(1, whole(a.percent[0])));
    });
}

void deinterlace(const EffectArgs& a) {
    runLibraryStep(Premultiply::no, [&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return IS3Deinterlace(s, w, h, 4, w * 4, d, a.style[0] == 1 ? 1 : 0, a.flag[0] != 0);
    });
}

// The picture's grey through a grey filter; its result on R, G and B (inverted on
// request), alpha kept.
template <class GreyFilter>
void onGrey(bool invert, GreyFilter&& filter) {
    runLibraryStep(Premultiply::no, [&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        std::vector<uint8_t> grey(static_cast<size_t>(w) * static_cast<size_t>(h));
        if (!IS3ImageToGrayScale8Bit(s, w, h, 4, w * 4, grey.data(), w, 0) || !filter(grey.data(), w, h)) return false;
        for (size_t i = 0; i < grey.size(); ++i) {
            const uint8_t v = invert ? static_cast<uint8_t>(255 - grey[i]) : grey[i];
            d[i * 4] = d[i * 4 + 1] = d[i * 4 + 2] = v;
            d[i * 4 + 3] = s[i * 4 + 3];
        }
        return true;
    });
}

void fingerprint(const EffectArgs& a) {
    onGrey(false, [&](uint8_t* g, int32_t w, int32_t h) {
        return ISE3Fingerprint(g, w, h, g, 0.5 + a.percent[0] * 0.3, a.percent[1] * 0.1);
    });
}

void canny(const EffectArgs& a) {
    onGrey(a.flag[0] != 0, [&](uint8_t* g, int32_t w, int32_t h) {
        const std::vector<uint8_t> grey(g, g + static_cast<size_t>(w) * static_cast<size_t>(h));
        const int32_t low = whole(a.percent[1] * 5.0), high = whole(a.percent[2] * 10.0);
        return ISE3CannyEdgeDetector(grey.data(), w, h, g, a.percent[0] * 0.03, std::min(low, high), high);
    });
}

constexpr ControlInfo kPattern{Control::variant, 0, 0, 1000, "pattern number: another layout of the same look"};

}  // namespace

void registerArtisticEffects(EffectRegistry& r) {
    r.add("Oil Paint", kArtistic, "each pixel the mean colour of the commonest brightness in its window", oilPaint,
          {slider(1, 300, "brush radius: 1 + value ÷ 100 pixels"),
           slider(2, 300, "brightness bands: 2 + value × 0.06")});
    r.add("Stipple", kArtistic, "dots on white paper, denser where the picture is dark", stipple,
          {slider(1, 100, "dot size: 1 + value × 0.015 pixels"), slider(2, 500, "density: value × 0.002"),
           flag(1, "dots in the picture's colour"), colourControl("the ink"),
           kPattern});
    r.add("Scribble", kArtistic, "the picture redrawn with short strokes at random angles", scribble,
          {slider(1, 160, "stroke length: 1 + value × 0.05 pixels"), slider(2, 100, "strokes: value ÷ 100 × the area"),
           style(1, 0, 1, "0 strokes in the picture's colours, 1 pencil on white paper"),
           kPattern});
    r.add("Crackle", kArtistic, "a crackled glaze of irregular tiles over the picture", crackle,
          {slider(1, 250, "tile size: 2 + value × 0.03 pixels"), slider(2, 300, "crack width: value × 0.005 pixels"),
           slider(3, 600, "crack darkness: value × 0.1 %"), kPattern});
    r.add("Gausy", kArtistic, "soft focus: the picture screened with its own blur", gauzy,
          {slider(1, 150, "softness: blur radius 0.5 + value × 0.02 pixels"), slider(2, 600, "amount: value × 0.1 %")});
    r.add("Halftone", kArtistic, "printed dots of ink on white, one per cell, sized by the cell's darkness", halftone,
          {slider(1, 150, "cell: 2 + value × 0.03 pixels"), flag(1, "one grey screen instead of R, G and B")});
    r.add("Mosaic", kArtistic, "square cells, each the mean of its pixels", mosaic,
          {slider(1, 80, "cell: value ÷ 10 pixels, at least 1")});
    r.add("Fingerprint", kArtistic, "grey ridges that follow the picture's brightness contours", fingerprint,
          {slider(1, 200, "ridges across the grey range: 0.5 + value × 0.03"),
           slider(2, 150, "smoothing: value × 0.01 pixels")});
    r.add("Edge2", kArtistic, "Canny edges: one-pixel white lines on black", canny,
          {slider(1, 330, "smoothing: σ = value × 0.003 pixels"),
           slider(2, 100, "weak edge threshold: value × 0.5 (gradient 0..2040)"),
           slider(3, 150, "strong edge threshold: value"), flag(1, "black lines on white")});
    r.add("Deinterlace", kArtistic, "one field of an interlaced frame rebuilt from the other", deinterlace,
          {style(1, 0, 1, "field kept: 0 even rows, 1 odd rows"), flag(1, "interpolate instead of doubling rows")});
}

}  // namespace dro
