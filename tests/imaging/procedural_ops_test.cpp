// The procedural interpreter's distortions and filters: neutral settings, colour and
// alpha moving together, symmetries, seams, and rank filters against brute force.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "imaging/lib/procedural_ops/procedural_ops.h"

namespace {

using namespace dro::procedural_ops;

constexpr uint8_t kPadding = 0xA5;

struct Image {
    int32_t width, height, stride;
    std::vector<uint8_t> bytes;
    Image(int32_t w, int32_t h, int32_t padding = 0)
        : width(w), height(h), stride(w * 4 + padding), bytes(size_t(h) * size_t(w * 4 + padding), kPadding) {}
    uint8_t* px(int32_t x, int32_t y) { return bytes.data() + size_t(y) * size_t(stride) + size_t(x) * 4; }
    const uint8_t* px(int32_t x, int32_t y) const {
        return bytes.data() + size_t(y) * size_t(stride) + size_t(x) * 4;
    }
    template <class F>
    void fill(F f) {
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) f(x, y, px(x, y));
    }
};

using Op = std::function<bool(Image&)>;
template <class Params>
Op opOf(bool (*run)(uint8_t*, int32_t, int32_t, int32_t, const Params&), Params params) {
    return [run, params](Image& im) { return run(im.bytes.data(), im.width, im.height, im.stride, params); };
}

// A textured image with a few transparent pixels that hide bright colour.
Image textured(int32_t w, int32_t h, int32_t padding) {
    Image im(w, h, padding);
    unsigned seed = 7;
    im.fill([&](int32_t x, int32_t y, uint8_t* p) {
        seed = seed * 1103515245u + 12345u;
        p[0] = uint8_t(x * 9 + y);
        p[1] = uint8_t(y * 7 + (seed >> 16) % 40);
        p[2] = uint8_t((x ^ y) * 5);
        p[3] = (x * 3 + y) % 11 == 0 ? 0 : uint8_t(60 + (seed >> 20) % 196);
    });
    return im;
}

struct Named {
    std::string name;
    Op op;
};

std::vector<Named> neutralOps() {
    return {
        {"colorize", opOf(colorize, ColorizeParams{.amount = 0})},
        {"twirl", opOf(twirl, TwirlParams{.angle = 0, .cellsAcross = 3, .cellsDown = 2})},
        {"sine", opOf(sineDistortion, SineDistortionParams{.amplitude = 0})},
        {"kaleidoscope", opOf(kaleidoscope, KaleidoscopeParams{.segments = 0})},
        {"scratch", opOf(scratch, ScratchParams{.count = 0})},
        {"waves", opOf(waves, WavesParams{.amplitude = 0})},
        {"divider", opOf(divider, DividerParams{.cellsAcross = 1, .cellsDown = 1})},
        {"glass", opOf(glass, GlassParams{.strength = 0})},
        {"voxel", opOf(voxel, VoxelParams{.blockSize = 1})},
        {"zoom", opOf(zoom, ZoomParams{.scale = 100, .centreX = 30})},
        {"rotate", opOf(rotate, RotateParams{.angle = 0, .scale = 100})},
        {"rotate full turn", opOf(rotate, RotateParams{.angle = 360, .scale = 100})},
        {"tilt", opOf(tilt, TiltParams{.angleX = 0, .angleY = 0})},
        {"seamless", opOf(seamless, SeamlessParams{.overlap = 0})},
        {"bump", opOf(bump, BumpParams{.depth = 0})},
        {"maximum", opOf(maximum, RankParams{.radius = 0})},
        {"minimum", opOf(minimum, RankParams{.radius = 0})},
    };
}

std::vector<Named> defaultOps() {
    return {
        {"colorize", opOf(colorize, ColorizeParams{})},   {"twirl", opOf(twirl, TwirlParams{})},
        {"sine", opOf(sineDistortion, SineDistortionParams{})},
        {"kaleidoscope", opOf(kaleidoscope, KaleidoscopeParams{})},
        {"scratch", opOf(scratch, ScratchParams{})},      {"waves", opOf(waves, WavesParams{})},
        {"divider", opOf(divider, DividerParams{.gap = 2})}, {"carpet", opOf(carpet, CarpetParams{})},
        {"glass", opOf(glass, GlassParams{})},            {"voxel", opOf(voxel, VoxelParams{})},
        {"zoom", opOf(zoom, ZoomParams{})},               {"rotate", opOf(rotate, RotateParams{.angle = 30})},
        {"tilt", opOf(tilt, TiltParams{})},               {"seamless", opOf(seamless, SeamlessParams{})},
        {"edge", opOf(edge, EdgeParams{})},               {"bump", opOf(bump, BumpParams{})},
        {"emboss", opOf(emboss, EmbossParams{})},         {"maximum", opOf(maximum, RankParams{})},
        {"minimum", opOf(minimum, RankParams{})},
    };
}

TEST(ProceduralOps, NeutralSettingsLeaveTheImageAsItWas) {
    for (const Named& n : neutralOps()) {
        SCOPED_TRACE(n.name);
        Image im = textured(37, 29, 12);
        const Image before = im;
        ASSERT_TRUE(n.op(im));
        int worst = 0;
        for (int32_t y = 0; y < im.height; ++y)
            for (int32_t x = 0; x < im.width; ++x) {
                const uint8_t *a = before.px(x, y), *b = im.px(x, y);
                worst = std::max(worst, std::abs(a[3] - b[3]));
                if (a[3] == 0) continue;  // colour under alpha 0 carries nothing
                for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(a[c] - b[c]));
            }
        EXPECT_LE(worst, 1);
    }
}

// Every operation does something at its defaults, honours the stride and never touches
// the bytes past a row's pixels; bad blocks are refused.
TEST(ProceduralOps, DefaultsWorkWithinTheRowsGiven) {
    for (const Named& n : defaultOps()) {
        SCOPED_TRACE(n.name);
        Image im = textured(41, 33, 8);
        const Image before = im;
        ASSERT_TRUE(n.op(im));
        EXPECT_NE(im.bytes, before.bytes);
        for (int32_t y = 0; y < im.height; ++y)
            for (int32_t i = im.width * 4; i < im.stride; ++i)
                ASSERT_EQ(im.bytes[size_t(y) * im.stride + i], kPadding) << "row " << y;

        Image tight = textured(41, 33, 0);  // exact size: the last row ends the buffer
        EXPECT_TRUE(n.op(tight));
        Image narrow = textured(41, 33, 0);
        narrow.stride = 41 * 4 - 1;
        EXPECT_FALSE(n.op(narrow));
        Image empty(0, 5);
        EXPECT_FALSE(n.op(empty));
    }
    uint8_t one[4] = {1, 2, 3, 4};
    EXPECT_FALSE(zoom(one, 1, 1, 4, ZoomParams{.scale = 0}));
    EXPECT_FALSE(rotate(one, 1, 1, 4, RotateParams{.angle = 10, .scale = -5}));
    EXPECT_FALSE(twirl(nullptr, 1, 1, 4, TwirlParams{}));
}

// Every value of every record at the extremes of its type: no overflow, no access outside
// the image (ASan and UBSan builds), and each call either works or says it did not.
template <class Params>
Params filledWith(int32_t value) {
    static_assert(sizeof(Params) % sizeof(int32_t) == 0);
    std::array<int32_t, sizeof(Params) / sizeof(int32_t)> values;
    values.fill(value);
    Params p;
    std::memcpy(&p, values.data(), sizeof(Params));
    return p;
}

TEST(ProceduralOps, HostileValuesStayInsideTheImage) {
    for (int32_t value : {INT32_MIN, -1, 0, 1, 7, INT32_MAX}) {
        SCOPED_TRACE(value);
        const std::vector<Named> ops = {
            {"colorize", opOf(colorize, filledWith<ColorizeParams>(value))},
            {"twirl", opOf(twirl, filledWith<TwirlParams>(value))},
            {"sine", opOf(sineDistortion, filledWith<SineDistortionParams>(value))},
            {"kaleidoscope", opOf(kaleidoscope, filledWith<KaleidoscopeParams>(value))},
            {"scratch", opOf(scratch, filledWith<ScratchParams>(value == INT32_MAX ? 300 : value))},
            {"waves", opOf(waves, filledWith<WavesParams>(value))},
            {"divider", opOf(divider, filledWith<DividerParams>(value))},
            {"carpet", opOf(carpet, filledWith<CarpetParams>(value))},
            {"glass", opOf(glass, filledWith<GlassParams>(value))},
            {"voxel", opOf(voxel, filledWith<VoxelParams>(value))},
            {"zoom", opOf(zoom, filledWith<ZoomParams>(value))},
            {"rotate", opOf(rotate, filledWith<RotateParams>(value))},
            {"tilt", opOf(tilt, filledWith<TiltParams>(value))},
            {"seamless", opOf(seamless, filledWith<SeamlessParams>(value))},
            {"edge", opOf(edge, filledWith<EdgeParams>(value))},
            {"bump", opOf(bump, filledWith<BumpParams>(value))},
            {"emboss", opOf(emboss, filledWith<EmbossParams>(value))},
            {"maximum", opOf(maximum, filledWith<RankParams>(value))},
            {"minimum", opOf(minimum, filledWith<RankParams>(value))},
        };
        for (const Named& n : ops) {
            SCOPED_TRACE(n.name);
            for (const auto& [w, h] : {std::pair{1, 1}, std::pair{2, 3}, std::pair{13, 6}}) {
                Image im = textured(w, h, 0);
                const Image before = im;
                if (!n.op(im)) EXPECT_EQ(im.bytes, before.bytes);  // a refusal changes nothing
            }
        }
    }
}

// An opaque red square on a transparent background that hides bright green: whatever a
// distortion does, a visible pixel is pure red and an invisible one is transparent black.
TEST(ProceduralOps, DistortionsMoveColourAndAlphaTogether) {
    const std::vector<Named> distortions = {
        {"twirl", opOf(twirl, TwirlParams{.angle = 200})},
        {"sine", opOf(sineDistortion, SineDistortionParams{.amplitude = 7})},
        {"kaleidoscope", opOf(kaleidoscope, KaleidoscopeParams{.segments = 5, .angle = 17})},
        {"scratch", opOf(scratch, ScratchParams{.count = 60, .width = 3, .spread = 90})},
        {"waves", opOf(waves, WavesParams{.amplitude = 6})},
        {"divider", opOf(divider, DividerParams{.cellsAcross = 3, .gap = 3, .mirror = 1})},
        {"carpet", opOf(carpet, CarpetParams{.cellsAcross = 3, .region = 70})},
        {"glass", opOf(glass, GlassParams{.blockSize = 9, .strength = 80})},
        {"voxel", opOf(voxel, VoxelParams{.blockSize = 5, .depth = 0})},
        {"zoom", opOf(zoom, ZoomParams{.scale = 73, .edge = SampleEdge::wrap})},
        {"rotate", opOf(rotate, RotateParams{.angle = 33, .scale = 120})},
        {"tilt", opOf(tilt, TiltParams{.angleX = 50, .angleY = -20, .distance = 90})},
        {"seamless", opOf(seamless, SeamlessParams{.overlap = 40})},
    };
    for (const Named& n : distortions) {
        SCOPED_TRACE(n.name);
        Image im(40, 36);
        im.fill([](int32_t x, int32_t y, uint8_t* p) {
            const bool red = x >= 12 && x < 27 && y >= 9 && y < 25;
            p[0] = red ? 255 : 0;
            p[1] = red ? 0 : 255;
            p[2] = 0;
            p[3] = red ? 255 : 0;
        });
        ASSERT_TRUE(n.op(im));
        int visible = 0, hidden = 0;
        for (int32_t y = 0; y < im.height; ++y)
            for (int32_t x = 0; x < im.width; ++x) {
                const uint8_t* p = im.px(x, y);
                if (p[3] == 0) {
                    ++hidden;
                    ASSERT_EQ(p[0] + p[1] + p[2], 0) << x << "," << y;
                } else {
                    ++visible;
                    ASSERT_TRUE(p[0] == 255 && p[1] == 0 && p[2] == 0) << x << "," << y;
                }
            }
        EXPECT_GT(visible, 0);
        EXPECT_GT(hidden, 0);
    }
}

TEST(ProceduralOps, MirrorSymmetriesHold) {
    Image source(48, 48);
    source.fill([](int32_t x, int32_t y, uint8_t* p) {
        p[0] = uint8_t(x * 5);
        p[1] = uint8_t(y * 3 + x);
        p[2] = uint8_t(x * y);
        p[3] = 255;
    });
    // Two segments: mirror axes along both of the image's middle lines.
    Image k = source;
    ASSERT_TRUE(kaleidoscope(k.bytes.data(), 48, 48, k.stride, KaleidoscopeParams{.segments = 2}));
    // Carpet: every 12-pixel cell is mirror-symmetric across both of its own middles.
    Image c = source;
    ASSERT_TRUE(carpet(c.bytes.data(), 48, 48, c.stride, CarpetParams{.cellsAcross = 4, .cellsDown = 4}));
    int kWorst = 0, cWorst = 0;
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 48; ++x) {
            const int32_t cellMirrorX = (x / 12) * 12 + 11 - x % 12, cellMirrorY = (y / 12) * 12 + 11 - y % 12;
            for (int ch = 0; ch < 4; ++ch) {
                kWorst = std::max({kWorst, std::abs(k.px(x, y)[ch] - k.px(47 - x, y)[ch]),
                                   std::abs(k.px(x, y)[ch] - k.px(x, 47 - y)[ch])});
                cWorst = std::max({cWorst, std::abs(c.px(x, y)[ch] - c.px(cellMirrorX, y)[ch]),
                                   std::abs(c.px(x, y)[ch] - c.px(x, cellMirrorY)[ch])});
            }
        }
    EXPECT_LE(kWorst, 1);
    EXPECT_LE(cWorst, 1);
    EXPECT_NE(k.bytes, source.bytes);
    // The quarter above the axes to the right is the source's own.
    EXPECT_EQ(k.px(40, 10)[0], source.px(40, 10)[0]);
}

// Seamless: the left column continues from the right one and the top row from the
// bottom one, though the source's opposite borders differ by a full ramp.
TEST(ProceduralOps, SeamlessOutputWrapsAround) {
    const int32_t w = 64, h = 50;
    Image im(w, h, 4);
    im.fill([&](int32_t x, int32_t y, uint8_t* p) {
        p[0] = uint8_t(x * 255 / (w - 1));
        p[1] = uint8_t(y * 255 / (h - 1));
        p[2] = uint8_t(128 + 100 * std::sin(x * 0.2 + y * 0.1));
        p[3] = uint8_t(150 + y);
    });
    const Image before = im;
    // Seams may differ by no more than neighbouring source pixels do.
    int acrossStep = 0, downStep = 0;
    for (int32_t y = 0; y + 1 < h; ++y)
        for (int32_t x = 0; x + 1 < w; ++x)
            for (int c = 0; c < 4; ++c) {
                acrossStep = std::max(acrossStep, std::abs(im.px(x, y)[c] - im.px(x + 1, y)[c]));
                downStep = std::max(downStep, std::abs(im.px(x, y)[c] - im.px(x, y + 1)[c]));
            }
    ASSERT_LT(acrossStep, 40);
    ASSERT_LT(downStep, 40);
    ASSERT_TRUE(seamless(im.bytes.data(), w, h, im.stride, SeamlessParams{.overlap = 20}));
    int acrossSeam = 0, downSeam = 0;
    for (int32_t y = 0; y < h; ++y)
        for (int c = 0; c < 4; ++c) acrossSeam = std::max(acrossSeam, std::abs(im.px(0, y)[c] - im.px(w - 1, y)[c]));
    for (int32_t x = 0; x < w; ++x)
        for (int c = 0; c < 4; ++c) downSeam = std::max(downSeam, std::abs(im.px(x, 0)[c] - im.px(x, h - 1)[c]));
    EXPECT_LE(acrossSeam, acrossStep + 1);  // against 255 before
    EXPECT_LE(downSeam, downStep + 1);
    // Beyond the bands the image is untouched.
    for (int c = 0; c < 4; ++c) EXPECT_EQ(im.px(w / 2, h / 2)[c], before.px(w / 2, h / 2)[c]);
}

TEST(ProceduralOps, RankFiltersMatchBruteForce) {
    for (int32_t radius : {1, 2, 4}) {
        SCOPED_TRACE(radius);
        Image im = textured(23, 17, 8);
        const Image before = im;
        Image lo = im;
        ASSERT_TRUE(maximum(im.bytes.data(), im.width, im.height, im.stride, RankParams{radius}));
        ASSERT_TRUE(minimum(lo.bytes.data(), lo.width, lo.height, lo.stride, RankParams{radius}));
        for (int32_t y = 0; y < im.height; ++y)
            for (int32_t x = 0; x < im.width; ++x)
                for (int c = 0; c < 4; ++c) {
                    int hi = 0, low = 255;
                    for (int32_t dy = -radius; dy <= radius; ++dy)
                        for (int32_t dx = -radius; dx <= radius; ++dx) {
                            const int v = before.px(std::clamp(x + dx, 0, im.width - 1),
                                                    std::clamp(y + dy, 0, im.height - 1))[c];
                            hi = std::max(hi, v);
                            low = std::min(low, v);
                        }
                    ASSERT_EQ(im.px(x, y)[c], hi) << x << "," << y << " ch " << c;
                    ASSERT_EQ(lo.px(x, y)[c], low) << x << "," << y << " ch " << c;
                }
    }
}

TEST(ProceduralOps, ScratchesFollowTheirSeed) {
    const auto run = [](int32_t seed) {
        Image im = textured(50, 40, 0);
        EXPECT_TRUE(scratch(im.bytes.data(), 50, 40, im.stride, ScratchParams{.count = 25, .seed = seed}));
        return im.bytes;
    };
    EXPECT_EQ(run(5), run(5));
    EXPECT_NE(run(5), run(6));
}

// Quarter turns copy pixels exactly: an independent reference by index arithmetic.
TEST(ProceduralOps, QuarterTurnsAreExact) {
    Image im = textured(20, 20, 0);
    im.fill([](int32_t, int32_t, uint8_t* p) { p[3] = 255; });
    const Image before = im;
    ASSERT_TRUE(rotate(im.bytes.data(), 20, 20, im.stride, RotateParams{.angle = 90}));
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 20; ++x)
            // Counter-clockwise on screen: the top-right corner moves to the top left.
            ASSERT_EQ(0, std::memcmp(im.px(x, y), before.px(19 - y, x), 4)) << x << "," << y;
}

// The light's direction: a step rising to the right is bright when lit from the left and
// dark when lit from the right; a step rising downwards is bright when lit from above.
TEST(ProceduralOps, ReliefFacesTheLight) {
    const auto stepImage = [](bool vertical) {
        Image im(16, 16);
        im.fill([&](int32_t x, int32_t y, uint8_t* p) {
            p[0] = p[1] = p[2] = (vertical ? x : y) >= 8 ? 200 : 40;
            p[3] = 255;
        });
        return im;
    };
    const auto embossAt = [&](bool vertical, int32_t azimuth) {
        Image im = stepImage(vertical);
        EXPECT_TRUE(emboss(im.bytes.data(), 16, 16, im.stride, EmbossParams{.azimuth = azimuth, .elevation = 30}));
        return std::pair<int, int>{im.px(8, 8)[0], im.px(1, 1)[0]};  // on the step, on the flat
    };
    const auto [fromLeft, flat] = embossAt(true, 180);
    EXPECT_NEAR(flat, 128, 1);  // 255 × sin 30°
    EXPECT_GT(fromLeft, flat);
    EXPECT_LT(embossAt(true, 0).first, flat);
    EXPECT_GT(embossAt(false, 90).first, flat);
    EXPECT_LT(embossAt(false, 270).first, flat);

    // Bump keeps flat colour and brightens the side facing the light.
    Image b = stepImage(true);
    ASSERT_TRUE(bump(b.bytes.data(), 16, 16, b.stride, BumpParams{.azimuth = 180}));
    EXPECT_EQ(b.px(1, 1)[0], 40);
    EXPECT_EQ(b.px(14, 3)[0], 200);
    EXPECT_GT(b.px(8, 8)[0], 200);

    // Edge: a full black-to-white step is white, flat areas black.
    Image e(16, 4);
    e.fill([](int32_t x, int32_t, uint8_t* p) {
        p[0] = p[1] = p[2] = x >= 8 ? 255 : 0;
        p[3] = 90;
    });
    ASSERT_TRUE(edge(e.bytes.data(), 16, 4, e.stride, EdgeParams{}));
    EXPECT_EQ(e.px(7, 2)[0], 255);
    EXPECT_EQ(e.px(2, 2)[0], 0);
    EXPECT_EQ(e.px(12, 2)[1], 0);
    EXPECT_EQ(e.px(7, 2)[3], 90);
}

TEST(ProceduralOps, ColorizeKeepsLightnessEnds) {
    Image im(3, 1);
    const uint8_t greys[3] = {0, 128, 255};
    im.fill([&](int32_t x, int32_t, uint8_t* p) {
        p[0] = p[1] = p[2] = greys[x];
        p[3] = 77;
    });
    ASSERT_TRUE(colorize(im.bytes.data(), 3, 1, im.stride, ColorizeParams{.red = 200, .green = 40, .blue = 90}));
    const uint8_t expected[3][4] = {{0, 0, 0, 77}, {200, 40, 90, 77}, {255, 255, 255, 77}};
    for (int32_t x = 0; x < 3; ++x)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(im.px(x, 0)[c], expected[x][c], 1) << x << " ch " << c;
}

}  // namespace
