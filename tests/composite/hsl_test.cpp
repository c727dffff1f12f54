#include "composite/hsl.h"

#include <gtest/gtest.h>

#include <random>

namespace dro {
namespace {

TEST(RgbToHsl, KnownColours) {
    for (float grey : {0.0f, 0.25f, 1.0f}) {
        const Hsl hsl = RgbToHsl(grey, grey, grey);
        EXPECT_TRUE(hsl.h == 0.0f && hsl.s == 0.0f && hsl.l == grey) << grey;
    }
    const float hues[][4] = {{1, 0, 0, 0},   {1, 1, 0, 60},  {0, 1, 0, 120},
                             {0, 1, 1, 180}, {0, 0, 1, 240}, {1, 0, 1, 300}};
    for (const auto& c : hues) {
        const Hsl hsl = RgbToHsl(c[0], c[1], c[2]);
        EXPECT_NEAR(hsl.h, c[3], 1e-3f);
        EXPECT_FLOAT_EQ(hsl.s, 1.0f);
        EXPECT_FLOAT_EQ(hsl.l, 0.5f);
    }
    // Dark and light colours use different saturation denominators.
    EXPECT_FLOAT_EQ(RgbToHsl(0.1f, 0.3f, 0.1f).s, 0.5f);
    EXPECT_FLOAT_EQ(RgbToHsl(0.9f, 0.7f, 0.7f).s, 0.5f);
}

TEST(HslToRgb, InvertsRgbToHsl) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int i = 0; i < 5000; ++i) {
        const float r = unit(rng), g = unit(rng), b = unit(rng);
        const Hsl hsl = RgbToHsl(r, g, b);
        ASSERT_TRUE(hsl.h >= 0.0f && hsl.h <= 360.0f);
        const RgbF back = HslToRgb(hsl.h, hsl.s, hsl.l);
        ASSERT_NEAR(back.r, r, 1e-5f);
        ASSERT_NEAR(back.g, g, 1e-5f);
        ASSERT_NEAR(back.b, b, 1e-5f);
    }
}

TEST(HueToChannel, WrapsTheHueOnceOnly) {
    EXPECT_FLOAT_EQ(HueToChannel(0.0f, 1.0f, 390.0f), 0.5f);
    EXPECT_FLOAT_EQ(HueToChannel(0.0f, 1.0f, -330.0f), 0.5f);
    EXPECT_FLOAT_EQ(HueToChannel(0.2f, 0.8f, 210.0f), 0.5f);
    // Not reduced modulo 360: a second turn stays out of the 0..360 range.
    EXPECT_FLOAT_EQ(HueToChannel(0.0f, 1.0f, 750.0f), 0.0f);
    EXPECT_FLOAT_EQ(HueToChannel(0.0f, 1.0f, -690.0f), -5.5f);
}

}  // namespace
}  // namespace dro
