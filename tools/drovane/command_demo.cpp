// The built-in demo picture: a few layers made by the host side, stacked with blend
// modes and opacities, brush strokes painted by the engine on top, flattened and saved.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

#include "arguments.h"
#include "commands.h"
#include "drovane.h"
#include "image_file.h"
#include "stroke_replay.h"
#include "stroke_script.h"

namespace cli {
namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 400;

struct Rgba {
    double r, g, b, a;  // 0..1
};

uint8_t toByte(double v) { return static_cast<uint8_t>(std::lround(std::fmin(1.0, std::fmax(0.0, v)) * 255.0)); }

// Fills a layer from a function of the pixel centre in 0..1 coordinates.
void paintLayer(int32_t layer, const std::function<Rgba(double, double)>& shade) {
    std::vector<uint8_t> block(static_cast<size_t>(kWidth) * kHeight * 4);
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x) {
            const Rgba c = shade((x + 0.5) / kWidth, (y + 0.5) / kHeight);
            uint8_t* p = &block[(static_cast<size_t>(y) * kWidth + x) * 4];
            p[0] = toByte(c.r);
            p[1] = toByte(c.g);
            p[2] = toByte(c.b);
            p[3] = toByte(c.a);
        }
    DRO_LoadRGBA32Layer(block.data(), kWidth * 4, layer, 0, 0, kWidth, kHeight, 0);
}

void addLayer(int32_t layer, int32_t opacityPercent, const char* blendMode,
              const std::function<Rgba(double, double)>& shade) {
    if (!DRO_CreateLayer(layer, kWidth, kHeight)) throw CommandError("cannot create demo layer");
    DRO_SetLayerOptions(layer, 1, 0, opacityPercent, blendMode);
    paintLayer(layer, shade);
}

// Dusk sky: deep blue at the top to warm orange at the horizon.
Rgba sky(double, double y) { return {0.15 + 0.85 * y, 0.2 + 0.35 * y, 0.55 - 0.3 * y, 1.0}; }

// Soft overlapping discs, multiplied into the sky like coloured glass.
Rgba discs(double x, double y) {
    struct Disc {
        double cx, cy, radius, r, g, b;
    };
    constexpr Disc kDiscs[] = {{0.3, 0.45, 0.22, 0.95, 0.45, 0.5},
                               {0.55, 0.55, 0.25, 0.4, 0.85, 0.6},
                               {0.75, 0.4, 0.2, 0.5, 0.55, 0.95}};
    Rgba out{1, 1, 1, 0};
    for (const auto& d : kDiscs) {
        const double dx = (x - d.cx) * kWidth / kHeight;
        const double distance = std::sqrt(dx * dx + (y - d.cy) * (y - d.cy));
        const double coverage = std::fmin(1.0, std::fmax(0.0, (d.radius - distance) * 60.0));
        if (coverage <= 0) continue;
        out = {out.r * (1 - coverage + coverage * d.r), out.g * (1 - coverage + coverage * d.g),
               out.b * (1 - coverage + coverage * d.b), std::fmax(out.a, coverage)};
    }
    return out;
}

// Diagonal light bands laid over everything.
Rgba bands(double x, double y) {
    const double wave = 0.5 + 0.5 * std::sin((x * 1.6 + y) * 18.0);
    return {wave, wave, 0.9 * wave + 0.1, 1.0};
}

// A dark hill line along the bottom, painted normally.
Rgba hills(double x, double y) {
    const double ridge = 0.78 + 0.06 * std::sin(x * 9.0) + 0.03 * std::sin(x * 23.0 + 1.0);
    const double coverage = std::fmin(1.0, std::fmax(0.0, (y - ridge) * 300.0));
    return {0.08, 0.1, 0.16, coverage};
}

// A soft vignette toward deep violet on the sky, by the engine's own effect.
void darkenSkyEdges() {
    DRO_SetLayer(1);
    DRO_IPLAllocSrcBuffer32();
    DRO_IPLAllocDstBuffer32();
    DRO_IPLImageProcess(0, "Vignette", 0, /*red*/ 60, /*green*/ 20, /*blue*/ 110, /*blur*/ 700, /*size*/ 420,
                        /*strength*/ 850, 0, 0, /*mix toward the colour*/ 1, 0, 0, 0, 0, 0, 0, 0, 0, "");
    DRO_IPLFreeSrcBuffer32();
    DRO_IPLFreeDstBuffer32();
}

// Brush strokes on a layer of their own, in the stroke-file language: a ribbon with a
// hard round brush, grass with a soft grainy brush, and a smudge dragged down through
// the ribbon, which picks its colours up and smears them over the sky.
constexpr const char* kStrokes = R"(
seed 11
layer 5
spacing 0.15

size 14
color 170 20 40
stroke
  line 40 70 110 40 180 80 250 50 320 90 390 60 460 95
end
color 250 220 120
size 5
stroke
  line 44 75 112 46 180 86 248 56 320 96 388 66 456 100
end

tool edgeSoftness=200 grainCellSize=2 grainCellThreshold=190 grainFillThreshold=200 grainInterval=3
density 210
color 150 190 70
size 16
stroke 90 100 Normal
  pline 30 398 1  22 352 0.15
  pline 40 398 1  44 340 0.15
  pline 50 398 1  66 350 0.15
  pline 120 398 1  110 360 0.15
  pline 130 398 1  134 346 0.15
  pline 140 398 1  158 358 0.15
  pline 470 398 1  458 346 0.15
  pline 480 398 1  484 332 0.15
  pline 490 398 1  512 344 0.15
  pline 575 398 1  566 356 0.15
  pline 585 398 1  590 342 0.15
  pline 595 398 1  614 352 0.15
end

tool blendStrength=220 edgeSoftness=160
smudge 0 10
size 24
stroke
  line 100 40 150 150
end
stroke
  line 250 46 300 160
end
stroke
  line 380 62 430 170
end
)";

void paintStrokes(const Canvas& canvas) {
    replayStrokes(parseStrokeScript(kStrokes, "demo strokes", ""), canvas);
}

}  // namespace

int runDemo(const Words& words) {
    const Arguments args(words, {}, {});
    if (args.positional().size() != 1) throw UsageError("give one output file");
    const std::string& output = args.positional()[0];

    Canvas canvas(kWidth, kHeight);
    paintLayer(1, sky);
    darkenSkyEdges();
    addLayer(2, 100, "Multiply", discs);
    addLayer(3, 35, "Overlay", bands);
    addLayer(4, 100, "Normal", hills);
    paintStrokes(canvas);
    canvas.savePage(output, 96);
    std::fprintf(stderr, "drovane demo: wrote %s (%d x %d, 5 layers)\n", output.c_str(), kWidth, kHeight);
    return 0;
}

}  // namespace cli
