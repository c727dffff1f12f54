// The transform engine and the polygon warp against independent references (the
// whole-pixel offset, mirror images, shifted boxes), their neutral settings, and the
// distortion and warp effects through the effect command: neutral settings change
// nothing, colour and alpha move together, the shadow lies under the layer.
#include <omp.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <numbers>
#include <string>

#include "imaging/effects/effect_registry.h"
#include "imaging/filter_fixture.h"
#include "imaging/lib/offset.h"
#include "imaging/lib/polygon_warp.h"
#include "imaging/lib/transform_chain.h"
#include "imaging/lib/transform_process.h"

namespace {

// Colour never above alpha: valid premultiplied pixels, so every mode may read them.
Image premultipliedPicture(int w, int h, uint32_t seed) {
    Image im = randomImage(w, h, seed);
    for (size_t i = 0; i < im.px.size(); i += 4)
        for (int c = 0; c < 3; ++c)
            im.px[i + c] = std::min(im.px[i + c], im.px[i + 3]);
    return im;
}

int maxDifference(const Image& a, const Image& b) {
    int d = 0;
    for (size_t i = 0; i < a.px.size(); ++i)
        d = std::max(d, std::abs(a.px[i] - b.px[i]));
    return d;
}

Image process(const Image& in, int32_t mode, uint32_t background = 0) {
    Image out{in.w, in.h, std::vector<uint8_t>(in.px.size(), 7)};
    EXPECT_TRUE(
        is5_TransformProcess(in.px.data(), in.w, in.h, 4, in.w * 4, out.px.data(), in.w * 4, mode, background, 0));
    return out;
}

TEST(TransformEngine, EveryTransformAtZeroStrengthIsTheIdentityInEveryMode) {
    const Image picture = premultipliedPicture(23, 17, 3);
    const int w = picture.w, h = picture.h;
    const std::pair<const char*, std::function<bool()>> neutral[] = {
        {"offset", [&] { return is5_AddOffsetTransform(w, h, 0, 0, 2); }},
        {"elliptical", [&] { return is5_AddEllipticalTransform(w, h, 0, 0); }},
        {"lens", [&] { return is5_AddLensTransform(w, h, 0, 9, 11, 8, 0); }},
        {"pinch", [&] { return is5_AddPinchTransform(w, h, 0, 9, 11, 8, 0); }},
        {"spin", [&] { return is5_AddSpinTransform(w, h, 0, 9, 11, 8, 0); }},
        {"spin wave", [&] { return is5_AddSpinWaveTransform(w, h, 0, 5, 11, 8, 0); }},
        {"ripple", [&] { return is5_AddRippleTransform(w, h, 0, 5, 11, 8, 0); }},
        {"wow", [&] { return is5_AddWowTransform(w, h, 0, 5, 11, 8, 0); }},
        {"wave", [&] { return is5_AddWaveTransform(w, h, 0, 0, 7, 0); }},
        {"zig zag", [&] { return is5_AddZigZagTransform(w, h, 0, 0, 7, 0); }},
        {"marble", [&] { return is5_AddMarbleTransform(w, h, 0, 9, 4, 0); }},
        {"random", [&] { return is5_AddRandomTransform(w, h, 0, 4, 0); }},
    };
    for (const auto& [name, add] : neutral)
        for (int32_t mode : {0, 1, 2}) {
            is5_ClearAllTransforms();
            ASSERT_TRUE(add()) << name;
            EXPECT_LE(maxDifference(process(picture, mode), picture), 1) << name << " mode " << mode;
        }
    is5_ClearAllTransforms();
}

// The whole-pixel offset of the pan command is an independent reference for the
// offset transform and its edge rules, including wrapping by more than the size.
TEST(TransformEngine, OffsetMatchesTheWholePixelMoveForEveryEdgeRule) {
    const Image picture = premultipliedPicture(13, 9, 8);
    const uint8_t background[4] = {10, 20, 30, 255};
    const uint32_t packed = 10u | 20u << 8 | 30u << 16 | 255u << 24;
    for (int32_t edge : {0, 1, 2, 3})
        for (auto [dx, dy] : {std::pair{3, -2}, std::pair{-15, 20}, std::pair{13, 9}}) {
            Image expected{picture.w, picture.h, std::vector<uint8_t>(picture.px.size())};
            dro::offsetRgba32(picture.px.data(), expected.px.data(), picture.w, picture.h, dx, dy,
                              dro::lib::edgeModeFromValue(edge), background);
            is5_ClearAllTransforms();
            ASSERT_TRUE(is5_AddOffsetTransform(picture.w, picture.h, dx, dy, edge));
            EXPECT_EQ(process(picture, 1, packed), expected) << "edge " << edge << " by " << dx << "," << dy;
        }
    is5_ClearAllTransforms();
}

// The spin turns each ring by the centre's angle faded by (1 - r / radius)², read
// from a table; against the formula, to a hundredth of a pixel, for a gentle and a
// many-turn spin.
TEST(TransformEngine, SpinTurnsEachRingByItsFadedAngle) {
    for (const double degrees : {30.0, -900.0}) {
        is5_ClearAllTransforms();
        ASSERT_TRUE(is5_AddSpinTransform(200, 200, degrees, 80, 100, 100, 0));
        std::vector<double> xs, ys;
        for (int i = 0; i < 400; ++i)
            xs.push_back(100 + 0.37 * i * std::cos(i * 0.7)), ys.push_back(100 + 0.37 * i * std::sin(i * 0.7));
        const std::vector<double> x0 = xs, y0 = ys;
        dro::lib::mapPoints(dro::lib::transformChain(), xs.data(), ys.data(), static_cast<int32_t>(xs.size()));
        for (size_t i = 0; i < xs.size(); ++i) {
            const double dx = x0[i] - 100, dy = y0[i] - 100, r = std::hypot(dx, dy);
            const double fade = r < 80 ? (1 - r / 80) * (1 - r / 80) : 0;
            const double angle = degrees * std::numbers::pi / 180 * fade;
            EXPECT_NEAR(xs[i], 100 + dx * std::cos(angle) + dy * std::sin(angle), 0.01) << r;
            EXPECT_NEAR(ys[i], 100 - dx * std::sin(angle) + dy * std::cos(angle), 0.01) << r;
        }
    }
    is5_ClearAllTransforms();
}

// Rows share nothing but the read-only source: any thread count gives the same pixels.
TEST(TransformEngine, ParallelRowsGiveTheSinglethreadedResult) {
    const Image picture = premultipliedPicture(320, 240, 11);
    is5_ClearAllTransforms();
    ASSERT_TRUE(is5_AddSpinTransform(320, 240, 200, 150, 160, 120, 3));
    ASSERT_TRUE(is5_AddRandomTransform(320, 240, 2, 9, 3));
    const int threads = omp_get_max_threads();
    omp_set_num_threads(1);
    const Image single = process(picture, 2);
    omp_set_num_threads(std::max(2, threads));
    EXPECT_EQ(process(picture, 2), single);
    omp_set_num_threads(threads);
    is5_ClearAllTransforms();
}

using dro::lib::QuadPoint;

Image warp(const Image& in, const std::array<QuadPoint, 4>& from, const std::array<QuadPoint, 4>& to, int32_t mode) {
    Image out = Image::flat(in.w, in.h, {1, 2, 3, 4});
    EXPECT_TRUE(is5_PolygonWarpImage(in.px.data(), in.w, in.h, in.w * 4, from.data(), out.px.data(), in.w, in.h,
                                     in.w * 4, to.data(), 32, 0, 0, mode, 0));
    return out;
}

TEST(PolygonWarp, UnmovedCornersAreTheIdentityAndMirroredCornersMirror) {
    const Image picture = premultipliedPicture(19, 14, 21);
    const double r = picture.w - 1, b = picture.h - 1;
    const std::array<QuadPoint, 4> box{{{0, 0}, {r, 0}, {r, b}, {0, b}}};
    const std::array<QuadPoint, 4> mirrored{{{r, 0}, {0, 0}, {0, b}, {r, b}}};
    const std::array<QuadPoint, 4> upsideDown{{{0, b}, {r, b}, {r, 0}, {0, 0}}};
    for (int32_t mode : {0, 1, 2}) {
        EXPECT_EQ(warp(picture, box, box, mode), picture) << mode;
        const Image flipped = warp(picture, box, mirrored, mode), turned = warp(picture, box, upsideDown, mode);
        for (int y = 0; y < picture.h; ++y)
            for (int x = 0; x < picture.w; ++x) {
                ASSERT_EQ(flipped.get(x, y), picture.get(picture.w - 1 - x, y)) << mode;
                ASSERT_EQ(turned.get(x, y), picture.get(x, picture.h - 1 - y)) << mode;
            }
    }
}

// A projective quad: its four corners take the source's corner pixels exactly, and
// nothing outside the quad is written.
TEST(PolygonWarp, CornersMapExactlyAndOutsideStaysUntouched) {
    const Image picture = premultipliedPicture(40, 30, 5);
    const std::array<QuadPoint, 4> box{{{0, 0}, {39, 0}, {39, 29}, {0, 29}}};
    const std::array<QuadPoint, 4> quad{{{6, 3}, {31, 8}, {36, 27}, {2, 21}}};
    for (int32_t mode : {0, 1, 2}) {
        const Image out = warp(picture, box, quad, mode);
        for (int i = 0; i < 4; ++i) {
            const auto& d = quad[static_cast<size_t>(i)];
            const auto& s = box[static_cast<size_t>(i)];
            EXPECT_EQ(out.get(int(d.x), int(d.y)), picture.get(int(s.x), int(s.y))) << "corner " << i;
        }
        EXPECT_EQ(out.get(0, 0), (std::array<int, 4>{1, 2, 3, 4}));
        EXPECT_EQ(out.get(39, 29), (std::array<int, 4>{1, 2, 3, 4}));
        EXPECT_EQ(out.get(20, 0), (std::array<int, 4>{1, 2, 3, 4}));
    }
}

// The outline is smoothed outside the quad only: a pixel half a pixel outside an edge
// is half covered, one and a half pixels out is untouched, the first inside is whole.
TEST(PolygonWarp, PixelsJustOutsideAnEdgeAreFadedByTheirDistance) {
    const Image white = Image::flat(40, 30, {255, 255, 255, 255});
    const std::array<QuadPoint, 4> box{{{0, 0}, {39, 0}, {39, 29}, {0, 29}}};
    const std::array<QuadPoint, 4> shifted{{{5.5, 3}, {30.5, 3}, {30.5, 20}, {5.5, 20}}};
    const Image out = warp(white, box, shifted, 1);
    EXPECT_EQ(out.get(5, 10), (std::array<int, 4>{128, 128, 128, 128}));
    EXPECT_EQ(out.get(6, 10), (std::array<int, 4>{255, 255, 255, 255}));
    EXPECT_EQ(out.get(4, 10), (std::array<int, 4>{1, 2, 3, 4}));
    EXPECT_EQ(out.get(31, 10), (std::array<int, 4>{128, 128, 128, 128}));
}

class TransformEffects : public EngineTest {
protected:
    void open(const Image& im) {
        width = im.w;
        height = im.h;
        openCanvas(im.w, im.h);
        DRO_LoadRGBA32(im.px.data(), im.w * 4, 0);
        DRO_IPLAllocSrcBuffer32();
        DRO_IPLAllocDstBuffer32();
    }
    static void run(const std::string& name, std::array<int32_t, 6> s, int32_t style1 = -1) {
        const dro::EffectInfo* e = info(name);
        const dro::ControlInfo* edge = e ? e->control(dro::Control::style1) : nullptr;
        const int32_t style = style1 >= 0 ? style1 : (edge ? edge->defaultValue : 0);
        DRO_IPLImageProcess(0, name.c_str(), 0, s[0], s[1], s[2], s[3], s[4], s[5], style, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                            nullptr);
    }
    static const dro::EffectInfo* info(const std::string& name) {
        for (int i = 0; i < dro::kEffectCount; ++i)
            if (dro::effectRegistry().info(i).name == name) return &dro::effectRegistry().info(i);
        return nullptr;
    }
    // The sliders at their defaults.
    static std::array<int32_t, 6> defaults(const dro::EffectInfo& e) {
        std::array<int32_t, 6> s{500, 500, 500, 500, 500, 500};
        for (const dro::ControlInfo& c : e.controls) {
            const int k = static_cast<int>(c.id) - static_cast<int>(dro::Control::slider1);
            if (k >= 0 && k < 6) s[static_cast<size_t>(k)] = c.defaultValue;
        }
        return s;
    }
    Image layer() const {
        Image out{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
        DRO_GetRGBA32Layer(out.px.data(), width * 4, 1);
        return out;
    }
    int width = 0, height = 0;
};

TEST_F(TransformEffects, NeutralSettingsLeaveTheLayerAndOffsetBySizeWrapsHome) {
    Image picture = randomImage(21, 16, 2);
    for (size_t i = 3; i < picture.px.size(); i += 4)
        picture.px[i] = 255;
    const std::pair<const char*, std::array<int32_t, 6>> neutral[] = {
        {"Elliptical", {0}},
        {"Lens", {500, 500, 500, 500}},
        {"Marble", {0, 200}},
        {"Offset", {0, 0}},
        {"Offset", {1000, 1000}},
        {"Pinch", {500, 500, 500, 500}},
        {"Ripple", {0, 200, 500, 500}},
        {"Spin", {500, 500, 500, 500}},
        {"Spin Wave", {0, 300, 500, 500}},
        {"Wave", {0, 0, 300}},
        {"Wow", {0, 300, 500, 500}},
        {"Zig Zag", {0, 0, 300}},
        {"Frosted Glass", {0}},
        {"Perspective", {500, 500, 500, 500, 500, 500}},
        {"Warp", {500, 500, 500, 500, 500, 500}},
        {"Warp Edge", {500, 500, 500, 500, 500, 500}},
        {"Warp 3 Point", {500, 500, 500, 500, 500, 500}},
        {"Stretch", {500, 500, 500, 500, 500, 500}},
        {"Stretch Edge", {500, 500, 500, 500, 500, 500}},
        {"Vertical Pivot", {500}},
        {"Horizontal Pivot", {500}},
        {"Skew", {500, 500}},
    };
    for (const auto& [name, sliders] : neutral) {
        open(picture);
        run(name, sliders);
        EXPECT_LE(maxDifference(layer(), picture), 1) << name << " " << sliders[0];
    }
}

// An opaque red disc on transparent black: whatever a distortion or warp moves, a
// visible pixel carries the disc's colour undarkened (sampling straight colour would
// mix in the black of the transparent pixels along the rim).
TEST_F(TransformEffects, DistortionsMoveColourAndAlphaTogether) {
    Image picture = Image::flat(24, 20, {0, 0, 0, 0});
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 24; ++x)
            if ((x - 11) * (x - 11) + (y - 10) * (y - 10) < 40) picture.set(x, y, {255, 0, 0, 255});
    int checked = 0;
    for (int i = 0; i < dro::kEffectCount; ++i) {
        const dro::EffectInfo& e = dro::effectRegistry().info(i);
        if (!e.built() || (e.family != "Transforms" && e.family != "Warps") || e.name == "Drop Shadow") continue;
        for (const bool strongest : {false, true}) {
            open(picture);
            std::array<int32_t, 6> s = defaults(e);
            if (strongest) s.fill(1000);
            run(std::string(e.name), s);
            const Image out = layer();
            for (int y = 0; y < out.h; ++y)
                for (int x = 0; x < out.w; ++x) {
                    const auto p = out.get(x, y);
                    if (p[3] == 0) continue;
                    ASSERT_GE(p[0], 250) << e.name << " at " << x << "," << y << " strongest " << strongest;
                    ASSERT_EQ(p[1] + p[2], 0) << e.name << " at " << x << "," << y;
                }
        }
        ++checked;
    }
    EXPECT_EQ(checked, 21);
}

// Sliders far outside 0..1000 (shifts and corners far beyond the image, huge turns
// and amplitudes) must not crash or read outside the image (the sanitizer build
// checks); an edge squeezed to a point still warps.
TEST_F(TransformEffects, HostileSlidersAreSafeAndASqueezedEdgeStillWarps) {
    const Image picture = randomImage(9, 7, 4);
    for (int i = 0; i < dro::kEffectCount; ++i) {
        const dro::EffectInfo& e = dro::effectRegistry().info(i);
        if (!e.built() || (e.family != "Transforms" && e.family != "Warps")) continue;
        for (const int32_t v : {INT32_MAX, INT32_MIN, -1000, 100000}) {
            open(picture);
            run(std::string(e.name), {v, v, v, v, v, v}, v == INT32_MIN ? INT32_MIN : 2);
        }
    }
    Image opaque = picture;
    for (size_t i = 3; i < opaque.px.size(); i += 4)
        opaque.px[i] = 255;
    open(opaque);
    run("Warp Edge", {0, 500, 500, 500, 500, 500});
    const Image out = layer();
    EXPECT_EQ(out.get(0, 0)[3], 0);  // the top corners met in the middle
    EXPECT_EQ(out.get(4, 6)[3], 255);
}

TEST_F(TransformEffects, DropShadowLiesUnderTheLayerDownAndRight) {
    Image picture = Image::flat(30, 30, {0, 0, 0, 0});
    for (int y = 8; y < 20; ++y)
        for (int x = 8; x < 20; ++x)
            picture.set(x, y, {200, 180, 40, 255});
    open(picture);
    // 4 pixels right and down, a slight blur, full opacity.
    DRO_IPLImageProcess(0, "Drop Shadow", 0, 700, 700, 50, 1000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
    const Image out = layer();
    EXPECT_EQ(out.get(12, 12), (std::array<int, 4>{200, 180, 40, 255}));  // the layer stays on top
    EXPECT_EQ(out.get(19, 19), (std::array<int, 4>{200, 180, 40, 255}));
    const auto shadow = out.get(22, 22);
    EXPECT_GT(shadow[3], 200);
    EXPECT_LT(shadow[0] + shadow[1] + shadow[2], 30);
    EXPECT_EQ(out.get(4, 4)[3], 0);  // no shadow up and left
}

}  // namespace
