// Noise effects: the four adders merge a noisy copy of the layer by a chosen blend mode
// and opacity; the three generators replace the layer's pixels with generated noise.
// Every run is seeded from the layer's pixels, so the same picture gives the same noise
// and a second run on the result gives new noise.
#include <algorithm>

#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/lib/noise.h"
#include "imaging/working_buffer_ops.h"

namespace dro {
namespace {

constexpr std::string_view kNoise = "Noise";
constexpr uint32_t kColourChannels = 7;
constexpr int32_t kLastBlendMode = 30;

uint64_t seedOf(const uint8_t* block, size_t bytes) noexcept {
    uint64_t h = 0xcbf29ce484222325ull;
    for (size_t i = 0; i < bytes; ++i) h = (h ^ block[i]) * 0x100000001b3ull;
    return h;
}

template <NoiseDistribution distribution>
void addNoiseEffect(const EffectArgs& a) {
    const IplPair pair = iplPair();
    if (!pair) return;
    updateSourceFromLayer();
    const size_t bytes = static_cast<size_t>(pair.width) * static_cast<size_t>(pair.height) * 4;
    addNoise(pair.source, pair.width, pair.height, pair.width * 4, distribution,
             static_cast<int32_t>(a.percent[0] * 200.0f), true, kColourChannels, seedOf(pair.source, bytes));
    const int32_t mode = std::clamp(a.style[0], 0, kLastBlendMode);
    mergeIntoLayer(pair.source, mode, static_cast<int32_t>(a.percent[1] * 2.559f));
}

template <class Generate>
void generate(Generate&& g) {
    runLibraryStep(Premultiply::no, [&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        g(d, w, h, seedOf(s, static_cast<size_t>(w) * static_cast<size_t>(h) * 4));
        return true;
    });
}

void colourNoise(const EffectArgs& a) {
    generate([&](uint8_t* d, int32_t w, int32_t h, uint64_t seed) {
        ISE3GenerateColoredNoise(d, w, h, w * 4, static_cast<uint32_t>(a.colour), a.percent[0] * 0.01, seed);
    });
}

void hugoNoise(const EffectArgs& a) {
    generate([&](uint8_t* d, int32_t w, int32_t h, uint64_t seed) {
        ISE3GenerateHugoNoise(d, w, h, w * 4, std::max(1, static_cast<int32_t>(a.percent[0])), seed);
    });
}

void perlinNoise(const EffectArgs& a) {
    generate([&](uint8_t* d, int32_t w, int32_t h, uint64_t seed) {
        ISE3GeneratePerlinNoise(d, w, h, w * 4, std::max(1.0f, a.percent[0]),
                                std::max(1, static_cast<int32_t>(a.percent[1] * 0.1f)), a.percent[2] * 0.01, seed);
    });
}

constexpr ControlInfo kAmount = slider(1, 100, "amount: standard deviation value × 0.2 levels");
constexpr ControlInfo kOpacity = slider(2, 1000, "opacity of the merge: value × 0.2559");
constexpr ControlInfo kMode = style(1, 0, kLastBlendMode, "blend mode of the merge (0 normal … 30 silhouette)");

}  // namespace

void registerNoiseEffects(EffectRegistry& r) {
    r.add("Add Gaussian Noise", kNoise, "adds grey Gaussian noise and merges it", addNoiseEffect<NoiseDistribution::gaussian>,
          {kAmount, kOpacity, kMode});
    r.add("Add Negative Exponential Noise", kNoise, "adds grey negative-exponential noise (mean 0) and merges it",
          addNoiseEffect<NoiseDistribution::negativeExponential>, {kAmount, kOpacity, kMode});
    r.add("Add Rayleigh Noise", kNoise, "adds grey Rayleigh noise (mean 0) and merges it",
          addNoiseEffect<NoiseDistribution::rayleigh>, {kAmount, kOpacity, kMode});
    r.add("Add Uniform Noise", kNoise, "adds grey uniform noise and merges it", addNoiseEffect<NoiseDistribution::uniform>,
          {kAmount, kOpacity, kMode});
    r.add("Color Noise", kNoise, "random colours around a base colour", colourNoise,
          {slider(1, 1000, "variety: 0 = the colour, 1000 = any colour"), colourControl("the base colour")});
    r.add("Hugo Noise", kNoise, "smooth grey value noise", hugoNoise, {slider(1, 160, "cell size: value × 0.1 pixels")});
    r.add("Perlin Noise", kNoise, "grey gradient noise in octaves", perlinNoise,
          {slider(1, 320, "scale: value × 0.1 pixels"), slider(2, 40, "octaves: value ÷ 10"),
           slider(3, 500, "persistence: value × 0.001")});
}

}  // namespace dro
