// Properties of the effect families that catch real faults: flat stays flat, neutral
// settings change nothing, the noise adders keep the mean, the median against a sort,
// the levels tables against hand-worked entries.
#include <algorithm>
#include <set>
#include <string>

#include "imaging/effects/effect_registry.h"
#include "imaging/filter_fixture.h"
#include "imaging/effects/photo_pop.h"
#include "imaging/lib/rank.h"
#include "imaging/lib/tone.h"
#include "undo/undo_store.h"

namespace {

class EffectProperties : public EngineTest {
protected:
    void open(const Image& im) {
        width = im.w;
        height = im.h;
        openCanvas(im.w, im.h);
        DRO_LoadRGBA32(im.px.data(), im.w * 4, 0);
        DRO_IPLAllocSrcBuffer32();
        DRO_IPLAllocDstBuffer32();
    }
    static void process(const std::string& name, std::array<int32_t, 6> s = {500, 500, 500, 500, 500, 500},
                        std::array<uint8_t, 6> f = {}, std::array<int32_t, 2> styles = {}) {
        DRO_IPLImageProcess(0, name.c_str(), 0, s[0], s[1], s[2], s[3], s[4], s[5], styles[0], styles[1], f[0], f[1],
                            f[2], f[3], f[4], f[5], 0, 0, 0, nullptr);
    }
    Image layer() const {
        Image out{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
        DRO_GetRGBA32Layer(out.px.data(), width * 4, 1);
        return out;
    }
    static Image opaque(Image im) {
        for (size_t i = 3; i < im.px.size(); i += 4) im.px[i] = 255;
        return im;
    }
    int width = 0, height = 0;
};

int maxDifference(const Image& a, const Image& b) {
    int d = 0;
    for (size_t i = 0; i < a.px.size(); ++i) d = std::max(d, std::abs(a.px[i] - b.px[i]));
    return d;
}

TEST_F(EffectProperties, NeighbourhoodEffectsKeepAFlatImageFlat) {
    const Image flat = Image::flat(11, 9, {90, 140, 200, 255});
    for (const std::string_view family : {"Blurs", "Sharpen", "Rank filters", "Noise removal"}) {
        for (int i = 0; i < dro::kEffectCount; ++i) {
            const dro::EffectInfo& e = dro::effectRegistry().info(i);
            if (!e.built() || e.family != family) continue;
            for (int32_t s : {0, 500, 1000}) {
                open(flat);
                process(std::string(e.name), {s, s, s, s, s, s});
                EXPECT_EQ(layer(), flat) << e.name << " at " << s;
            }
        }
    }
}

TEST_F(EffectProperties, NeutralSettingsAreTheIdentity) {
    const Image picture = opaque(randomImage(16, 12, 5));
    const std::pair<const char*, std::array<int32_t, 6>> neutral[] = {
        {"Brightness and Contrast", {500, 500}}, {"Gamma", {500}}, {"Hyper Saturation", {500}},
        {"Adjust Color Balance", {500, 500, 500}}, {"Levels", {0, 1000, 0, 1000}}, {"Tint", {0}},
        {"Duotone", {0}},
    };
    for (const auto& [name, sliders] : neutral) {
        open(picture);
        process(name, sliders, {1, 1, 1, 1, 0, 0});
        EXPECT_LE(maxDifference(layer(), picture), 1) << name;
    }
}

TEST_F(EffectProperties, NegativeTwiceAndFlipsTwiceAreTheIdentity) {
    // The layer keeps no colour under alpha 0; give every pixel some alpha.
    Image picture = randomImage(7, 5, 9);
    for (size_t i = 3; i < picture.px.size(); i += 4) picture.px[i] = std::max<uint8_t>(picture.px[i], 1);
    for (const char* name : {"Negative", "Horizontal Flip", "Vertical Flip"}) {
        open(picture);
        process(name);
        EXPECT_NE(layer(), picture) << name;
        process(name);
        EXPECT_EQ(layer(), picture) << name;
    }
    open(picture);
    process("Horizontal Flip");
    EXPECT_EQ(layer().get(6, 2), picture.get(0, 2));
}

TEST_F(EffectProperties, PosterizeGivesAtMostTheLevelsAsked) {
    const Image picture = opaque(randomImage(32, 16, 4));
    for (int32_t levels : {2, 3, 5, 8}) {
        open(picture);
        process("Posterize", {levels});
        const Image out = layer();
        for (int c = 0; c < 3; ++c) {
            std::set<int> seen;
            for (size_t i = static_cast<size_t>(c); i < out.px.size(); i += 4) seen.insert(out.px[i]);
            EXPECT_LE(seen.size(), static_cast<size_t>(levels)) << levels;
            EXPECT_TRUE(seen.count(0) && seen.count(255)) << levels;  // the range's ends are kept
        }
    }
}

TEST_F(EffectProperties, NoiseAddersKeepTheMeanAndRaiseTheVariance) {
    const Image grey = Image::flat(64, 64, {128, 128, 128, 255});
    for (const char* name :
         {"Add Gaussian Noise", "Add Negative Exponential Noise", "Add Rayleigh Noise", "Add Uniform Noise"}) {
        open(grey);
        process(name, {200, 1000});  // standard deviation 40 levels, full opacity, normal merge
        const Image out = layer();
        double sum = 0, squares = 0;
        const double n = 64.0 * 64.0;
        for (size_t i = 0; i < out.px.size(); i += 4) {
            sum += out.px[i];
            squares += double(out.px[i]) * out.px[i];
            EXPECT_EQ(out.px[i], out.px[i + 1]);  // grey noise
            EXPECT_EQ(out.px[i + 3], 255);
        }
        const double mean = sum / n;
        EXPECT_NEAR(mean, 128.0, 3.0) << name;
        EXPECT_GT(squares / n - mean * mean, 900.0) << name;
    }
}

TEST_F(EffectProperties, MedianRemovesIsolatedSaltAndPepper) {
    Image im = Image::flat(12, 12, {100, 150, 200, 255});
    im.set(3, 3, {255, 255, 255, 255});
    im.set(8, 4, {0, 0, 0, 0});
    im.set(5, 9, {255, 0, 255, 255});
    open(im);
    process("Median", {100});
    EXPECT_EQ(layer(), Image::flat(12, 12, {100, 150, 200, 255}));
}

TEST(RankFilter, MedianMatchesASortedWindow) {
    const Image im = randomImage(17, 13, 21);
    for (int32_t r : {1, 2, 3}) {
        std::vector<uint8_t> out(im.px.size());
        ASSERT_TRUE(dro::rankFilter(im.px.data(), im.w, im.h, 4, im.w * 4, out.data(), r, dro::RankKind::median));
        for (int y = 0; y < im.h; ++y)
            for (int x = 0; x < im.w; ++x)
                for (int c = 0; c < 4; ++c) {
                    std::vector<int> window;
                    for (int dy = -r; dy <= r; ++dy)
                        for (int dx = -r; dx <= r; ++dx)
                            window.push_back(im.get(std::clamp(x + dx, 0, im.w - 1), std::clamp(y + dy, 0, im.h - 1))[c]);
                    std::nth_element(window.begin(), window.begin() + window.size() / 2, window.end());
                    ASSERT_EQ(out[(static_cast<size_t>(y) * im.w + x) * 4 + c], window[window.size() / 2])
                        << r << " at " << x << "," << y;
                }
    }
}

TEST(LevelsTables, HandWorkedEntriesAndTheMendedCases) {
    // black 10, white 110: mid 60; the first ramp grows 127/50 a level, the second too.
    const dro::ToneTable t = dro::levelsInputTable(10, 110);
    EXPECT_EQ(t[9], 0);
    EXPECT_EQ(t[10], 0);
    EXPECT_EQ(t[35], 63);   // 25 × 2.54 = 63.5
    EXPECT_EQ(t[59], 124);  // 49 × 2.54 = 124.46
    EXPECT_EQ(t[60], 127);
    EXPECT_EQ(t[109], 251);
    EXPECT_EQ(t[110], 255);
    // No room for a ramp: a step at the black point instead of a division by zero.
    for (auto [black, white] : {std::pair{100, 100}, std::pair{100, 101}}) {
        const dro::ToneTable s = dro::levelsInputTable(black, white);
        EXPECT_EQ(s[99], 0);
        EXPECT_EQ(s[100], 255);
    }
    // White below black reads as the two swapped.
    EXPECT_EQ(dro::levelsInputTable(110, 10), t);
    // Output ranges, and a reversed one inverting instead of wrapping.
    const dro::ToneTable out = dro::levelsOutputTable(50, 100);
    EXPECT_EQ(out[0], 50);
    EXPECT_EQ(out[128], 75);
    EXPECT_EQ(out[255], 100);
    const dro::ToneTable inverted = dro::levelsOutputTable(255, 0);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(inverted[static_cast<size_t>(i)], 255 - i);
}

TEST_F(EffectProperties, LevelsChangesOnlyTheChosenChannels) {
    const Image picture = randomImage(8, 6, 2);
    open(picture);
    // Output 255..0 on red alone: red inverted, the rest kept.
    process("Levels", {0, 1000, 1000, 0}, {1, 0, 0, 0, 0, 0});
    const Image out = layer();
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            const auto p = picture.get(x, y), q = out.get(x, y);
            if (p[3] == 0) continue;  // no colour to keep under alpha 0
            EXPECT_NEAR(q[0], 255 - p[0], 1);
            EXPECT_EQ(q[1], p[1]);
            EXPECT_EQ(q[3], p[3]);
        }
}

TEST_F(EffectProperties, SweepFiltersKeepAFlatOpaqueImage) {
    const Image flat = Image::flat(9, 9, {77, 133, 201, 255});
    for (const char* name : {"Noise Reduction", "Smart Blur", "Noise Reduction RGB", "Value Blur"}) {
        open(flat);
        process(name, {1000, 1000, 1000, 1000, 1000, 1000});
        EXPECT_EQ(layer(), flat) << name;
    }
}

TEST_F(EffectProperties, TransparentColourDoesNotBleedIntoNeighbours) {
    Image im = Image::flat(7, 7, {40, 80, 120, 255});
    im.set(3, 3, {255, 255, 255, 0});
    open(im);
    process("Box Blur", {0});
    const Image out = layer();
    for (int y = 2; y <= 4; ++y)
        for (int x = 2; x <= 4; ++x) {
            const auto p = out.get(x, y);
            ASSERT_GT(p[3], 0);
            // Premultiplied rounding may lose a few levels; hidden white would add ~25.
            const int expected[3] = {40, 80, 120};
            for (int c = 0; c < 3; ++c) {
                EXPECT_LE(p[c], expected[c] + 1) << x << "," << y;
                EXPECT_GE(p[c], expected[c] - 4) << x << "," << y;
            }
        }
}

}  // namespace

namespace {

TEST_F(EffectProperties, CompoundChainsKeepAUniformLayerUniform) {
    const Image grey = Image::flat(10, 8, {120, 120, 120, 255});
    for (int i = 0; i < dro::kEffectCount; ++i) {
        const dro::EffectInfo& e = dro::effectRegistry().info(i);
        if (!e.built() || e.family != "Compound") continue;
        open(grey);
        process(std::string(e.name), {300, 500, 0, 500, 500, 500});
        const Image out = layer();
        for (int y = 0; y < out.h; ++y)
            for (int x = 0; x < out.w; ++x) ASSERT_EQ(out.get(x, y), out.get(0, 0)) << e.name << " at " << x << "," << y;
    }
}

TEST_F(EffectProperties, PhotoPopCommandIsTheEffect) {
    const Image picture = opaque(randomImage(9, 7, 12));
    open(picture);
    process("Photo Pop", {400, 700, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0});
    const Image viaEffect = layer();
    EXPECT_NE(viaEffect, picture);
    open(picture);
    dro::photoPopCommand(400, 70.0, 1);
    EXPECT_EQ(layer(), viaEffect);
    EXPECT_EQ(dro::undoStore().dirtyRect, (dro::Rect{0, 0, 8, 6}));
    // Without the working buffers nothing happens.
    open(picture);
    DRO_IPLFreeDstBuffer32();
    dro::photoPopCommand(400, 70.0, 1);
    EXPECT_EQ(layer(), picture);
}

}  // namespace
