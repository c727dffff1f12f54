#include "imaging/lib/procedural/effect_table.h"

#include <algorithm>
#include <vector>

#include "imaging/lib/procedural/filter_effects.h"
#include "imaging/lib/procedural/generators.h"
#include "imaging/lib/procedural/raster.h"

namespace dro::procedural {
namespace {

constexpr int32_t kMaxSeed = 2147483647;
constexpr ValueRule kSeed{"seed", kSeedValue, 1, 0, kMaxSeed};
constexpr ValueRule kStyle{"style", kStyleValue, kStyleGrey, 0, kStyleCount - 1};

constexpr std::array kLinesValues{kSeed, kStyle, ValueRule{"count", 2, 40, 1, 5000}, ValueRule{"width", 3, 3, 1, 256}};
constexpr std::array kCirclesValues{kSeed, kStyle, ValueRule{"count", 2, 30, 1, 5000},
                                    ValueRule{"radius", 3, 10, 1, 100}, ValueRule{"outline", 4, 0, 0, 256}};
constexpr std::array kRectanglesValues{kSeed, kStyle, ValueRule{"count", 2, 30, 1, 5000},
                                       ValueRule{"size", 3, 20, 1, 100}, ValueRule{"outline", 4, 0, 0, 256}};
constexpr std::array kSplinesValues{kSeed, kStyle, ValueRule{"count", 2, 8, 1, 500}, ValueRule{"width", 3, 4, 1, 256},
                                    ValueRule{"points", 4, 6, 2, 64}};
constexpr std::array kPlasmaValues{kSeed, kStyle, ValueRule{"roughness", 2, 50, 0, 100}};
constexpr std::array kPerlinValues{kSeed, kStyle, ValueRule{"scale", 2, 64, 1, 4096}, ValueRule{"octaves", 3, 5, 1, 12},
                                   ValueRule{"persistence", 4, 50, 0, 100}};
constexpr std::array kBlobsValues{kSeed, kStyle, ValueRule{"count", 2, 12, 1, 500}, ValueRule{"size", 3, 15, 1, 100},
                                  ValueRule{"softness", 4, 50, 0, 100}};
constexpr std::array kNoiseValues{kSeed, kStyle, ValueRule{"grain", 2, 1, 1, 256}, ValueRule{"colour", 3, 0, 0, 1}};
constexpr std::array kSinePlasmaValues{kSeed, kStyle, ValueRule{"scale", 2, 80, 1, 4096}, ValueRule{"waves", 3, 4, 1, 8}};
constexpr std::array kWormsValues{kSeed, kStyle, ValueRule{"count", 2, 20, 1, 500}, ValueRule{"length", 3, 300, 1, 2000},
                                  ValueRule{"width", 4, 4, 1, 64}, ValueRule{"curl", 5, 20, 0, 180}};
constexpr std::array kPatternValues{kSeed, kStyle, ValueRule{"kind", 2, 0, 0, 5}, ValueRule{"cell", 3, 32, 2, 2048},
                                    ValueRule{"colours", 4, 2, 2, 16}};
constexpr std::array kPointsValues{kSeed, kStyle, ValueRule{"count", 2, 800, 1, 100000}, ValueRule{"radius", 3, 2, 1, 64}};
constexpr std::array kFractalValues{kSeed, kStyle, ValueRule{"scale", 2, 128, 1, 4096}, ValueRule{"octaves", 3, 6, 1, 12},
                                    ValueRule{"roughness", 4, 50, 0, 100}};
constexpr std::array kTreesValues{kSeed, kStyle, ValueRule{"count", 2, 3, 1, 32}, ValueRule{"depth", 3, 8, 1, 12},
                                  ValueRule{"spread", 4, 30, 0, 90}, ValueRule{"length", 5, 30, 1, 100}};
constexpr std::array kFibersValues{kSeed, kStyle, ValueRule{"count", 2, 3000, 1, 100000},
                                   ValueRule{"length", 3, 40, 1, 1000}, ValueRule{"angle", 4, 90, 0, 180},
                                   ValueRule{"jitter", 5, 20, 0, 180}, ValueRule{"width", 6, 1, 1, 16}};
constexpr EffectKind G = EffectKind::generator;

// The host names are those of the effect list.
const std::array kGenerators{
    EffectEntry{1, "lines", "Lines", G, generateLines, kLinesValues, "straight strokes across the image"},
    EffectEntry{2, "circles", "Circles", G, generateCircles, kCirclesValues, "filled or outlined circles"},
    EffectEntry{3, "rectangles", "Rectangles", G, generateRectangles, kRectanglesValues, "filled or outlined rectangles"},
    EffectEntry{4, "splines", "Splines", G, generateSplines, kSplinesValues, "smooth curves through random points"},
    EffectEntry{5, "plasma", "Plasma", G, generatePlasma, kPlasmaValues, "midpoint-displacement clouds that tile"},
    EffectEntry{11, "perlin", "Generate Perlin Noise", G, generatePerlinNoise, kPerlinValues, "Perlin gradient noise in octaves"},
    EffectEntry{20, "blobs", "Blobs", G, generateBlobs, kBlobsValues, "merging soft metaballs"},
    EffectEntry{21, "noise", "Generate Noise", G, generateNoise, kNoiseValues, "random values per pixel or per cell"},
    EffectEntry{24, "sineplasma", "Sine Plasma", G, generateSinePlasma, kSinePlasmaValues, "interfering sine waves"},
    EffectEntry{37, "worms", "Worms", G, generateWorms, kWormsValues, "random walkers leaving thick trails"},
    EffectEntry{42, "pattern", "Pattern", G, generatePattern, kPatternValues, "checks, stripes, diamonds, dots or grids"},
    EffectEntry{43, "points", "Points", G, generatePoints, kPointsValues, "scattered round dots"},
    EffectEntry{55, "fractalplasma", "Fractal Plasma", G, generateFractalPlasma, kFractalValues, "ridged fractal noise"},
    EffectEntry{58, "trees", "Trees", G, generateTrees, kTreesValues, "branching trees growing from the bottom"},
    EffectEntry{59, "fibers", "Fibers", G, generateFibers, kFibersValues, "short strands along one direction"},
};

}  // namespace

const ValueRule* EffectEntry::value(std::string_view name) const noexcept {
    for (const ValueRule& v : values)
        if (v.name == name) return &v;
    return nullptr;
}

EffectValues EffectEntry::defaults() const noexcept {
    EffectValues out{};
    for (const ValueRule& v : values) out[static_cast<size_t>(v.index)] = v.defaultValue;
    return out;
}

EffectValues EffectEntry::clamped(const EffectValues& in) const noexcept {
    EffectValues out = in;
    for (const ValueRule& v : values) {
        int32_t& x = out[static_cast<size_t>(v.index)];
        x = std::clamp(x, v.minimum, v.maximum);
    }
    return out;
}

std::span<const EffectEntry> effectTable() noexcept {
    // Generators and filters in number order, built once.
    static const std::vector<EffectEntry> table = [] {
        std::vector<EffectEntry> all(kGenerators.begin(), kGenerators.end());
        const std::span<const EffectEntry> filters = filterEffects();
        all.insert(all.end(), filters.begin(), filters.end());
        std::sort(all.begin(), all.end(), [](const EffectEntry& a, const EffectEntry& b) { return a.number < b.number; });
        return all;
    }();
    return table;
}

const EffectEntry* effectByNumber(int32_t number) noexcept {
    for (const EffectEntry& e : effectTable())
        if (e.number == number) return &e;
    return nullptr;
}

const EffectEntry* effectByName(std::string_view scriptName) noexcept {
    for (const EffectEntry& e : effectTable())
        if (e.scriptName == scriptName) return &e;
    return nullptr;
}

int32_t generatorStyleFromHost(int32_t hostStyle) noexcept {
    if (hostStyle == 0) return kStyleGrey;
    if (hostStyle >= 1 && hostStyle <= 12) return hostStyle - 1;
    return hostStyle;
}

}  // namespace dro::procedural
