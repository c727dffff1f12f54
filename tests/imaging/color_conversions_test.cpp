#include "imaging/color/color_conversions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "imaging/color/hsl_double.h"

namespace dro::color {
namespace {

void expectRgb(Rgb8 got, int r, int g, int b) {
    EXPECT_TRUE(got.r == r && got.g == g && got.b == b)
        << "got (" << got.r << ", " << got.g << ", " << got.b << ") want (" << r << ", " << g << ", " << b << ")";
}

bool within1(Rgb8 got, int r, int g, int b) {
    return std::abs(got.r - r) <= 1 && std::abs(got.g - g) <= 1 && std::abs(got.b - b) <= 1;
}

TEST(ColourConversions, HandWorkedBytesAreTruncated) {
    expectRgb(hslToRgb({0, 1, 0.5}), 255, 0, 0);
    expectRgb(hslToRgb({120, 1, 0.25}), 0, 127, 0);  // 127.5 truncates
    expectRgb(hslToRgb({200, 0, 0.5}), 127, 127, 127);
    expectRgb(hsvToRgb({90, 1, 1}), 127, 255, 0);     // sector 1, q = 0.5
    expectRgb(hsvToRgb({0, 0, 0.5}), 127, 127, 127);
    expectRgb(cmyToRgb(0, 0.5, 1), 255, 127, 0);
    expectRgb(cmyToRgb(0, 0, 0), 255, 255, 255);
}

TEST(ColourConversions, GreyHueAndFullTurn) {
    const Hsv grey = rgbToHsv({90, 90, 90});
    EXPECT_EQ(grey.h, -1.0);
    EXPECT_EQ(grey.s, 0.0);
    EXPECT_DOUBLE_EQ(grey.v, 90 / 255.0);
    EXPECT_EQ(rgbToHsl({90, 90, 90}).h, 0.0);
    for (double s : {0.3, 1.0}) {
        const Rgb8 a = hsvToRgb({360, s, 0.8}), b = hsvToRgb({0, s, 0.8});
        EXPECT_TRUE(a.r == b.r && a.g == b.g && a.b == b.b);
    }
    // Hues past a turn land in a real sector rather than off the end.
    const Rgb8 far = hsvToRgb({720 + 90, 1, 1}), near = hsvToRgb({90, 1, 1});
    EXPECT_TRUE(within1(far, near.r, near.g, near.b));
}

TEST(ColourConversions, HsvAndHslAgreeWithTextbookAndRoundTrip) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 4000; ++i) {
        const int r = byte(rng), g = byte(rng), b = byte(rng);
        const double R = r / 255.0, G = g / 255.0, B = b / 255.0;
        const double mx = std::max({R, G, B}), mn = std::min({R, G, B}), d = mx - mn;
        if (d > 0) {
            double h = mx == R ? (G - B) / d : mx == G ? (B - R) / d + 2 : (R - G) / d + 4;
            h = h < 0 ? h * 60 + 360 : h * 60;
            const Hsv hsv = rgbToHsv({r, g, b});
            EXPECT_NEAR(hsv.h, h, 1e-9);
            EXPECT_NEAR(hsv.s, d / mx, 1e-12);
            const Hsl hsl = rgbToHsl({r, g, b});
            EXPECT_NEAR(std::fmod(hsl.h, 360.0), std::fmod(h, 360.0), 1e-9);
            const double l = (mx + mn) / 2;
            EXPECT_NEAR(hsl.s, l < 0.5 ? d / (mx + mn) : d / (2 - mx - mn), 1e-12);
            // The blend modes' double twin weighs by 0.16666667: the same colour to
            // within a whisker, but it is a different routine.
            EXPECT_NEAR(rgb8ToHslDouble(r, g, b).h, hsl.h, 1e-4);
        }
        EXPECT_TRUE(within1(hsvToRgb(rgbToHsv({r, g, b})), r, g, b)) << r << ' ' << g << ' ' << b;
        EXPECT_TRUE(within1(hslToRgb(rgbToHsl({r, g, b})), r, g, b)) << r << ' ' << g << ' ' << b;
    }
}

TEST(ColourConversions, LabOfReferenceColours) {
    struct Ref {
        Rgb8 rgb;
        double l, a, b;
    };
    // Published sRGB (D65) values.
    const Ref refs[] = {{{255, 255, 255}, 100.0, 0.0, 0.0},
                        {{255, 0, 0}, 53.24, 80.09, 67.20},
                        {{0, 255, 0}, 87.73, -86.18, 83.18},
                        {{0, 0, 255}, 32.30, 79.19, -107.86},
                        {{128, 128, 128}, 53.59, 0.0, 0.0}};
    for (const Ref& r : refs) {
        const Lab lab = xyzToLab(rgbToXyz(r.rgb));
        EXPECT_NEAR(lab.l, r.l, 0.02);
        EXPECT_NEAR(lab.a, r.a, 0.03);
        EXPECT_NEAR(lab.b, r.b, 0.03);
    }
    const Xyz white = rgbToXyz({255, 255, 255});
    EXPECT_NEAR(white.x, 95.05, 0.01);
    EXPECT_NEAR(white.y, 100.0, 0.01);
    EXPECT_NEAR(white.z, 108.9, 0.01);
}

TEST(ColourConversions, XyzToRgbEdgesAndLabRoundTrip) {
    expectRgb(xyzToRgb({0, 0, 0}), 0, 0, 0);
    expectRgb(xyzToRgb({95.047, 100, 108.883}), 255, 255, 254);  // blue a hair below 1
    expectRgb(xyzToRgb({500, 500, 500}), 255, 255, 255);          // clamped, not wrapped
    expectRgb(labToRgb({0, 0, 0}), 0, 0, 0);
    const Xyz negative = labToXyz({0, -200, 200});
    EXPECT_TRUE(negative.x >= 0 && negative.y >= 0 && negative.z >= 0);

    std::mt19937 rng(5);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 2000; ++i) {
        const Rgb8 c{byte(rng), byte(rng), byte(rng)};
        const Rgb8 back = labToRgb(xyzToLab(rgbToXyz(c)));
        EXPECT_TRUE(within1(back, c.r, c.g, c.b)) << c.r << ' ' << c.g << ' ' << c.b;
    }
}

TEST(ColourConversions, Cmyk) {
    const Cmyk black = cmyToCmyk(1, 1, 1);
    EXPECT_TRUE(black.c == 0 && black.m == 0 && black.y == 0 && black.k == 1);
    const Cmyk k = cmyToCmyk(0.2, 0.5, 0.6);
    EXPECT_DOUBLE_EQ(k.k, 0.2);
    EXPECT_DOUBLE_EQ(k.c, 0.0);
    EXPECT_DOUBLE_EQ(k.m, 0.375);
    EXPECT_DOUBLE_EQ(k.y, 0.5);
    expectRgb(cmykToRgb(black), 0, 0, 0);
    EXPECT_TRUE(within1(cmykToRgb(k), 204, 127, 102));
    const Rgb8 direct = cmyToRgb(0.3, 0.7, 0.1), viaK = cmykToRgb(cmyToCmyk(0.3, 0.7, 0.1));
    EXPECT_TRUE(within1(viaK, direct.r, direct.g, direct.b));
}

}  // namespace
}  // namespace dro::color
