// DRO_MergePixel against a plain reference of the merge rule written here on its
// own (a switch per stage, nothing shared with the engine's per-mode code), plus the
// behaviours hosts rely on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "core/blend_mode_table.h"
#include "composite/hsl.h"
#include "composite/merge_pixel.h"
#include "core/canvas.h"
#include "support/engine_fixture.h"

namespace {

struct Px {
    uint32_t r, g, b, a;
    bool operator==(const Px&) const = default;
};
void PrintTo(const Px& p, std::ostream* os) { *os << p.r << ',' << p.g << ',' << p.b << ',' << p.a; }

float unit(float v) { return std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f); }
uint32_t trunc32(double v) { return static_cast<uint32_t>(static_cast<int64_t>(v)); }

// Returns the merged pixel; viaFloat tells whether it went through float compositing.
Px reference(Px d, Px s, int mode, int opacity, bool lock, uint32_t o, bool& viaFloat) {
    viaFloat = false;
    if (s.a == 0 && mode < 32) return d;
    const uint32_t s0 = s.a, k2 = (0x7FFF - s0) * 2;
    uint32_t a = s0, *colour[3] = {&s.r, &s.g, &s.b};
    auto grey = [&](uint32_t v) { s.r = s.g = s.b = v; };
    auto raise = [&] { for (uint32_t* c : colour) *c = std::min(*c + (2 * s0 - 0xFFFE), 65535u); };
    auto ramp = [&] { return 65535 - std::min(65535u, (0x23FF - s0) * 64); };
    switch (mode) {
        case 33: grey(65535); a = 65535 - s0; break;
        case 34: case 49: if (s0 >= 1 && s0 <= 0xFEFF) { grey(0); a = o; } break;
        case 35: case 36: if (s0 != 0) a = s0 < 0x2FFF ? 65535 - s0 : o; break;
        case 37: if (s0 != 0) a = 65535 - s0; break;
        case 38: if (s0 != 0) { grey(s0); a = o; } break;
        case 39: case 40:
            if (s0 != 0 && s0 < 0x7FFF) for (uint32_t* c : colour) *c = *c < k2 ? 0 : *c - k2;
            if (s0 >= 0x7FFF) raise();
            if (s0 != 0) a = o;
            if (mode == 40) mode = 28;
            break;
        case 41:
            if (s0 >= 0x7FFF) { raise(); a = o; } else if (s0 != 0) a = s0 < k2 ? 0 : s0 - k2;
            mode = 28;
            break;
        case 42: if (s0 >= 0x7FFF) a = o; else if (s0 != 0) a = s0 < 2 * k2 ? 0 : s0 - 2 * k2; break;
        case 43: if (s0 != 0) a = s0 < 0x1FFF ? 0 : s0 > 0x23FE ? o : ramp(); break;
        case 44: case 45: case 46: case 47: case 48: {
            const bool third = mode == 46 || mode == 47, darker = third ? s0 < 0x8FFF : s0 < 0x8000;
            const double f = third ? (darker ? (0x8FFE - s0) / 30000.0 : (s0 - 0x8FFE) / 28672.0)
                                   : (darker ? (0x7FFF - s0) / (mode == 45 ? 65535.0 : 32767.0)
                                             : (s0 - 0x7FFF) / 32767.0);
            for (uint32_t* c : colour) *c = darker ? trunc32(*c - *c * f) : trunc32(*c + (65535.0 - *c) * f);
            if (s0 != 0) a = s0 <= 0x1FFE ? 0 : (mode >= 47 && s0 < 0x23FF) ? ramp() : o;
            break;
        }
        case 50: if (s0 > 0x7F00) a = 0; break;
        case 51: a = 0; break;
        case 52: a = (s.r + s.g + s.b) / 3; grey(65535); break;
        case 53: a = 65535 - (s.r + s.g + s.b) / 3; grey(0); break;
        default: break;
    }
    if (opacity < 255) a = (static_cast<uint32_t>(opacity + 1) * a) >> 8;
    if (d.a == 0) {
        const bool black = mode == 20 || mode == 21 || mode == 27 || mode == 28 || mode == 29;
        return (black || a == 0) ? Px{0, 0, 0, 0} : Px{s.r, s.g, s.b, lock ? 0u : a};
    }
    if (a == 0) return d;
    if (mode == 0 && a >= 65280) return {s.r, s.g, s.b, lock ? d.a : a};

    viaFloat = true;
    const float Sa = a / 65535.0f, Da = d.a / 65535.0f, iSa = 1 - Sa, iDa = 1 - Da;
    const uint32_t sc[3] = {s.r, s.g, s.b}, dc[3] = {d.r, d.g, d.b};
    float S[3], D[3], R[3], X[3];
    for (int i = 0; i < 3; ++i) S[i] = sc[i] * Sa / 65280.0f, D[i] = dc[i] * Da / 65280.0f;
    float Ra = iDa * Sa + Da;
    const float meanD = (D[0] + D[1] + D[2]) * 0.33333334f, srcL = (sc[0] + sc[1] + sc[2]) / 195840.0f;
    const dro::Hsl sh = dro::RgbToHsl(sc[0] / 65280.0f, sc[1] / 65280.0f, sc[2] / 65280.0f);
    const dro::Hsl dh = dro::RgbToHsl(D[0], D[1], D[2]);
    const float lum = (3 * D[0] + 4 * D[1] + D[2]) * 0.125f;
    const dro::RgbF hsl = mode == 22 ? dro::HslToRgb(sh.h, sh.s, lum)
                        : mode == 23 ? dro::HslToRgb(sh.h, dh.s, dh.l)
                        : mode == 24 ? dro::HslToRgb(dh.h, sh.s, dh.l)
                        : mode == 25 ? dro::HslToRgb(dh.h, dh.s, sh.l)
                                     : dro::HslToRgb(sh.h, sh.s, dh.l);
    const float hc[3] = {hsl.r, hsl.g, hsl.b};
    for (int i = 0; i < 3; ++i) X[i] = D[i] / Da + (srcL >= 0.5f ? (srcL - 0.5f) * Sa : -((0.5f - srcL) * Sa));
    const float meanX = (X[0] + X[1] + X[2]) * 0.33333334f;
    for (int i = 0; i < 3; ++i) {
        const float x = S[i], y = D[i], rest = x * iDa + y * iSa, m = y / Da, l = mode == 27 ? meanX : srcL;
        float& rc = R[i];
        switch (mode) {
            case 1: rc = x * y + rest; break;
            case 2: rc = x + y - x * y; break;
            case 3: rc = y * Sa <= x * Da ? y + x * iDa : x + y * iSa; break;
            case 4: rc = x * Da <= y * Sa ? y + x * iDa : x + y * iSa; break;
            case 5: rc = x + y - 2 * std::min(x * Da, y * Sa); break;
            case 6: case 7: rc = x * Da + y * Sa - 2 * x * y + rest; break;
            case 8: case 9: case 10: {
                const int32_t p = static_cast<int32_t>(x * Sa * 65535.0f), q = static_cast<int32_t>(y * 65535.0f);
                rc = (mode == 8 ? p & q : mode == 9 ? p | q : p ^ q) / 65535.0f;
                break;
            }
            case 11: case 12:
                rc = (mode == 11 ? 2 * y < Da : 2 * x < Sa) ? 2 * x * y + rest
                                                            : Sa * Da - 2 * (Da - y) * (Sa - x) + rest;
                break;
            case 13:
                if (2 * x < Sa) rc = y * (Sa + (2 * x - Sa) * (1 - m)) + rest;
                else if (8 * y <= Da) rc = y * (Sa + (2 * x - Sa) * (1 - m) * (3 - 8 * m)) + rest;
                else rc = y * Sa + (2 * x - Sa) * (std::sqrt(m) * Da - y) + rest;
                break;
            case 14: rc = x * Da + y * Sa >= Sa * Da ? Sa * Da + rest : y * Sa / (1 - x / Sa) + rest; break;
            case 15: rc = x * Da + y * Sa > Sa * Da ? Sa * (x * Da + y * Sa - Sa * Da) / x + rest : rest; break;
            case 18: rc = x + y; Ra = Sa + Da; break;
            case 19: rc = x + y - Sa * Da; Ra = Sa + Da; break;
            case 20: case 21: {
                const float k = (meanD >= 0.5f ? meanD - 0.5f : 0.5f - meanD) * Sa * (mode == 21 ? 1.75f : 1.0f);
                rc = (meanD >= 0.5f ? x + k : x - k) + y * iSa;
                Ra = Da;
                break;
            }
            case 22: case 23: case 24: case 25: case 26: rc = y * iSa + hc[i] * Sa; Ra = Da; break;
            case 27: case 28:
                rc = l >= 0.5f ? m + (l - 0.5f) * 1.75f * Sa : m - (0.5f - l) * 1.75f * Sa;
                Ra = Da;
                break;
            case 29: rc = y; Ra = Da; break;
            default: rc = x + y * iSa; break;
        }
    }
    Ra = unit(Ra);
    const auto channel = [&](int i) { return static_cast<uint32_t>(unit(R[i] / Ra) * 65280.0f); };
    return {channel(0), channel(1), channel(2), lock ? d.a : static_cast<uint32_t>(Ra * 65535.0f)};
}

Px merged(Px d, Px s, int mode, int opacity, bool lock) {
    DRO_MergePixel(&d.r, &d.g, &d.b, &d.a, s.r, s.g, s.b, s.a, mode, opacity, lock ? 1 : 0);
    return d;
}

constexpr int kOpacities[] = {0, 1, 128, 254, 255, 256};
// Thresholds of the alpha modes and the corners of the 16-bit range.
constexpr uint32_t kEdges[] = {0,      1,      0x1FFE, 0x1FFF, 0x23FE, 0x23FF, 0x2FFF, 0x7F00, 0x7F01,
                               0x7FFF, 0x8000, 0x8FFE, 0x8FFF, 0xFEFF, 65279,  65280,  65535};

class MergePixelTest : public EngineTest {
protected:
    // Ids −1..54 with 54 standing for 99: every assigned id, 31, and both sides out of range.
    static int modeId(int i) { return i == 54 ? 99 : i; }

    void expectMatchesReference(Px d, Px s, int mode, int opacity, bool lock) {
        const uint32_t o = dro::canvas().alphaLayerOpacity;
        bool viaFloat = false;
        const Px want = reference(d, s, mode, opacity, lock, o, viaFloat);
        const Px got = merged(d, s, mode, opacity, lock);
        // A different evaluation order may move a float result by one unit, never an integer one.
        const uint32_t slack = viaFloat ? 1 : 0;
        const auto near = [&](uint32_t x, uint32_t y) { return std::max(x, y) - std::min(x, y) <= slack; };
        ASSERT_TRUE(near(got.r, want.r) && near(got.g, want.g) && near(got.b, want.b) && near(got.a, want.a))
            << "mode " << mode << " opacity " << opacity << " lock " << lock << " d " << testing::PrintToString(d)
            << " s " << testing::PrintToString(s) << " got " << testing::PrintToString(got) << " want "
            << testing::PrintToString(want);
        // The entry the merge core builds on must stand alone, alpha lock included.
        dro::WorkPixel work{d.r, d.g, d.b, d.a};
        dro::pixelMergeFor(mode)(work, {s.r, s.g, s.b, s.a}, opacity, lock, o);
        ASSERT_EQ((Px{work.r, work.g, work.b, work.a}), got);
    }
};

TEST_F(MergePixelTest, AgreesWithReferenceOnRandomPixels) {
    std::mt19937 rng(2024);
    auto channel = [&] {
        return rng() % 4 == 0 ? kEdges[rng() % std::size(kEdges)] : static_cast<uint32_t>(rng() % 65536u);
    };
    for (uint16_t o : {uint16_t{65535}, uint16_t{23456}}) {
        dro::canvas().alphaLayerOpacity = o;
        for (int i = -1; i <= 54; ++i)
            for (int opacity : kOpacities)
                for (bool lock : {false, true})
                    for (int n = 0; n < 300; ++n) {
                        const Px d{channel(), channel(), channel(), channel()};
                        const Px s{channel(), channel(), channel(), channel()};
                        expectMatchesReference(d, s, modeId(i), opacity, lock);
                        if (HasFatalFailure()) return;
                    }
    }
}

TEST_F(MergePixelTest, AgreesWithReferenceOnEdgePixels) {
    const uint32_t alphas[] = {0, 1, 65279, 65280, 65535}, colours[] = {0, 65280, 65535};
    for (int i = -1; i <= 54; ++i)
        for (int opacity : kOpacities)
            for (bool lock : {false, true})
                for (uint32_t sa : alphas)
                    for (uint32_t da : alphas)
                        for (uint32_t sc : colours)
                            for (uint32_t dc : colours) {
                                expectMatchesReference({dc, 65280 - dc / 2, dc, da}, {sc, sc / 3, 65535 - sc, sa},
                                                       modeId(i), opacity, lock);
                                if (HasFatalFailure()) return;
                            }
}

TEST_F(MergePixelTest, ShortcutsAroundTheFloatPath) {
    // Opaque Normal replaces colour and alpha outright, alpha not unioned.
    const Px d{5000, 6000, 7000, 30000};
    EXPECT_EQ(merged(d, {100, 200, 300, 65280}, 0, 255, false), (Px{100, 200, 300, 65280}));
    EXPECT_EQ(merged(d, {100, 200, 300, 65535}, 0, 256, true), (Px{100, 200, 300, 30000}));
    // A source without alpha (or that the opacity takes to zero) writes nothing: not even
    // values outside the 16-bit range are normalised.
    const Px odd{0xDEADBEEF, 70000, 1, 0x12345678};
    for (int mode : {-5, 0, 1, 13, 20, 29, 31}) EXPECT_EQ(merged(odd, {1, 2, 3, 0}, mode, 255, false), odd) << mode;
    EXPECT_EQ(merged(odd, {1, 2, 3, 255}, 5, 0, false), odd);
}

TEST_F(MergePixelTest, TransparentDestination) {
    const Px empty{9, 9, 9, 0}, src{30000, 20000, 10000, 50000};
    for (int mode : {0, 1, 13, 22, 26, 30, 99}) EXPECT_EQ(merged(empty, src, mode, 255, false), src) << mode;
    // Color, Hard Color and the Texturize modes (and 40, 41, which composite as
    // Texturize2) give transparent black.
    for (int mode : {20, 21, 27, 28, 29, 40, 41})
        EXPECT_EQ(merged(empty, src, mode, 255, false), (Px{0, 0, 0, 0})) << mode;
    // Ids below 0 skip a source without alpha like the compositing modes; ids above 53
    // do not, like the alpha modes, and clear the pixel.
    EXPECT_EQ(merged(empty, {1, 2, 3, 0}, -1, 255, false), empty);
    EXPECT_EQ(merged(empty, {1, 2, 3, 0}, 99, 255, false), (Px{0, 0, 0, 0}));
    // With the alpha locked the colour still arrives.
    EXPECT_EQ(merged(empty, src, 0, 255, true), (Px{30000, 20000, 10000, 0}));
}

TEST_F(MergePixelTest, AlphaModesRewriteTheSource) {
    const Px empty{0, 0, 0, 0}, white{65535, 65535, 65535, 65535};
    // Alpha Filter turns a source without alpha white and opaque, then opacity scales it.
    EXPECT_EQ(merged(empty, {5, 6, 7, 0}, 33, 255, false), white);
    EXPECT_EQ(merged(empty, {5, 6, 7, 0}, 33, 100, false), (Px{65535, 65535, 65535, (101u * 65535u) >> 8}));
    // Luminance Alpha: white is opaque, black transparent; the Invert mode the reverse, in black.
    EXPECT_EQ(merged(empty, {65535, 65535, 65535, 1}, 52, 255, false), white);
    EXPECT_EQ(merged(empty, {0, 0, 0, 65535}, 52, 255, false), empty);
    EXPECT_EQ(merged(empty, {0, 0, 0, 1}, 53, 255, false), (Px{0, 0, 0, 65535}));
    EXPECT_EQ(merged(empty, white, 53, 255, false), empty);
    // Modes that give the source the alpha-layer opacity read the canvas's value.
    dro::canvas().alphaLayerOpacity = 12345;
    EXPECT_EQ(merged(empty, {1, 2, 3, 0x4000}, 38, 255, false), (Px{0x4000, 0x4000, 0x4000, 12345}));
    EXPECT_EQ(merged(empty, {1, 2, 3, 0x4000}, 34, 255, false), (Px{0, 0, 0, 12345}));
    // A mask layer never paints.
    const Px d{100, 200, 300, 400};
    EXPECT_EQ(merged(d, {1, 2, 3, 65535}, 51, 255, false), d);
}

TEST_F(MergePixelTest, ModesThatCompositeAsNormal) {
    std::mt19937 rng(99);
    auto u = [&](uint32_t n) { return static_cast<uint32_t>(rng() % n); };
    for (int i = 0; i < 20000; ++i) {
        const Px d{u(65536), u(65536), u(65536), u(65536)};
        const Px s{u(65536), u(65536), u(65536), 1 + u(0xFEFF)};  // below Normal's plain copy
        const int opacity = static_cast<int>(u(257));
        const Px normal = merged(d, s, 0, opacity, false);
        // Reflect, Glow, Silhoulette, the unassigned id, Alpha Normal and ids out of range.
        for (int mode : {16, 17, 30, 31, 32, -7, 99}) ASSERT_EQ(merged(d, s, mode, opacity, false), normal) << mode;
    }
}

TEST_F(MergePixelTest, OutOfRangeChannelsStayDefined) {
    // Whatever the inputs, a pixel that reaches the float path comes out in range.
    std::mt19937 rng(5);
    auto u = [&] { return static_cast<uint32_t>(rng()); };
    for (int i = 0; i < 20000; ++i) {
        const int mode = 1 + static_cast<int>(u() % 30);
        const Px out = merged({u(), u(), u(), u() | 1}, {u(), u(), u(), u() | 1}, mode, 255, false);
        ASSERT_LE(std::max({out.r, out.g, out.b}), 65280u) << mode;
        ASSERT_LE(out.a, 65535u) << mode;
    }
}

TEST_F(MergePixelTest, NullDestinationDoesNothing) {
    uint32_t g = 7, b = 8, a = 9;
    DRO_MergePixel(nullptr, &g, &b, &a, 1, 2, 3, 65535, 0, 255, 0);
    EXPECT_EQ(g + b + a, 24u);
}

TEST(BlendModeFromName, IsExactAndCaseSensitive) {
    EXPECT_EQ(dro::BlendModeFromName("Multiply"), 1);
    EXPECT_EQ(dro::BlendModeFromName("Silhoulette"), 30);
    EXPECT_EQ(dro::BlendModeFromName("Luminance Alpha Invert"), 53);
    const char* const unknowns[] = {"multiply", "normal", "Multiply ", "Silhouette", "", nullptr};
    for (const char* name : unknowns) EXPECT_EQ(dro::BlendModeFromName(name), 0) << (name ? name : "null");
}

}  // namespace
