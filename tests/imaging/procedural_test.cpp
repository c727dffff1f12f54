// The procedural-image interpreter: the session order and the built-in rotation.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "imaging/lib/procedural.h"
#include "imaging/lib/rotate.h"

namespace {

using namespace dro;

std::vector<uint8_t> numbered(int w, int h) {
    std::vector<uint8_t> px(static_cast<size_t>(w) * h * 4);
    for (size_t i = 0; i < px.size(); ++i) px[i] = static_cast<uint8_t>(i * 7 + 3);
    for (size_t i = 3; i < px.size(); i += 4) px[i] = static_cast<uint8_t>(128 + i % 100);  // no zero alpha
    return px;
}

const uint8_t* pixel(const std::vector<uint8_t>& px, int w, int x, int y) { return px.data() + (size_t(y) * w + x) * 4; }

bool rotateByEffect(std::vector<uint8_t>& px, int w, int h, int degrees, int scale = 100) {
    if (!ISL_Initialize()) return false;
    bool ok = ISL_AddEffect(kIslEffectRotate, 1) && ISL_SetEffectValue(0, 3, degrees) &&
              ISL_SetEffectValue(0, 4, scale) && ISL_ExecuteScriptOnImage(px.data(), w, h);
    ISL_Finish();
    return ok;
}

TEST(Procedural, SessionOrderIsEnforced) {
    ISL_Finish();
    std::vector<uint8_t> px(16, 1);
    EXPECT_FALSE(ISL_AddEffect(kIslEffectRotate, 1));
    EXPECT_FALSE(ISL_ExecuteScriptOnImage(px.data(), 2, 2));
    ASSERT_TRUE(ISL_Initialize());
    EXPECT_FALSE(ISL_ExecuteScriptOnImage(px.data(), 2, 2));  // no effect added
    EXPECT_FALSE(ISL_AddEffect(9999, 1));
    EXPECT_STREQ(ISL_GetLastError(), "unknown effect");
    EXPECT_FALSE(ISL_SetEffectValue(0, 3, 10));  // no effect 0 yet
    EXPECT_TRUE(ISL_AddEffect(kIslEffectRotate, 1));
    EXPECT_FALSE(ISL_SetEffectValue(0, kIslEffectValues, 10));
    EXPECT_FALSE(ISL_SetEffectValue(-1, 0, 10));
    EXPECT_FALSE(ISL_ExecuteScriptOnImage(nullptr, 2, 2));
    EXPECT_FALSE(ISL_ExecuteScriptOnImage(px.data(), 0, 2));
    for (int i = 1; i < kIslMaxEffects; ++i) EXPECT_TRUE(ISL_AddEffect(kIslEffectRotate, 0));
    EXPECT_FALSE(ISL_AddEffect(kIslEffectRotate, 1));  // session full
    ISL_Finish();
}

TEST(Procedural, FilesThatAreNotScriptsAreRefused) {
    ASSERT_TRUE(ISL_Initialize());
    EXPECT_FALSE(ISL_LoadScriptFromFile("/some/where/brush.isl"));
    EXPECT_STREQ(ISL_GetLastError(), "not a script");
    EXPECT_TRUE(ISL_InitBuffers());
    IslScriptHeader header;
    EXPECT_FALSE(ISL_ReadScriptHeaderFromFile("/some/where/brush.isl", &header));
    EXPECT_FALSE(ISL_ReadScriptHeaderFromFile("/some/where/brush.isl", nullptr));
    std::vector<uint8_t> px(64, 0);
    EXPECT_FALSE(ISL_ExecuteScript(px.data(), 4, 4));
    EXPECT_STREQ(ISL_GetLastError(), "no script loaded");
    ISL_Finish();
    EXPECT_STREQ(ISL_GetLastError(), "no script loaded");  // the reason outlives the session
}

TEST(Procedural, HeaderGivesTheImageSizeLittleEndian) {
    IslScriptHeader header;
    header.bytes[16] = 0x34;
    header.bytes[17] = 0x12;
    header.bytes[20] = 0x80;
    header.bytes[22] = 0x01;
    EXPECT_EQ(header.imageWidth(), 0x1234);
    EXPECT_EQ(header.imageHeight(), 0x10080);
}

TEST(Procedural, QuarterTurnsMovePixelsExactly) {
    const int n = 5;
    const auto source = numbered(n, n);
    auto turned = source;
    ASSERT_TRUE(rotateByEffect(turned, n, n, 90));
    // Counter-clockwise on screen: the top row becomes the left column, read upwards.
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) ASSERT_EQ(std::memcmp(pixel(turned, n, x, y), pixel(source, n, n - 1 - y, x), 4), 0);
    }
    auto half = source;
    ASSERT_TRUE(rotateByEffect(half, n, n, 180));
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            ASSERT_EQ(std::memcmp(pixel(half, n, x, y), pixel(source, n, n - 1 - x, n - 1 - y), 4), 0);
        }
    }
    auto round = source;
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(rotateByEffect(round, n, n, -90));
    EXPECT_EQ(round, source);
    auto same = source;
    ASSERT_TRUE(rotateByEffect(same, n, n, 720));
    EXPECT_EQ(same, source);
}

TEST(Procedural, OddAnglesKeepColourOffTransparentPixels) {
    // Opaque red on the left, transparent green on the right: turned pixels blend only
    // red, whatever alpha they end with.
    const int w = 20, h = 14;
    std::vector<uint8_t> px(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint8_t* p = px.data() + (size_t(y) * w + x) * 4;
            if (x < w / 2) p[0] = 255, p[3] = 255; else p[1] = 255;
        }
    }
    ASSERT_TRUE(rotateByEffect(px, w, h, 37));
    int opaque = 0, clear = 0;
    for (size_t i = 0; i < px.size(); i += 4) {
        if (px[i + 3] == 0) {
            ++clear;
            continue;
        }
        EXPECT_EQ(px[i], 255);
        EXPECT_EQ(px[i + 1], 0);
        opaque += px[i + 3] == 255;
    }
    EXPECT_GT(opaque, 60);
    EXPECT_GT(clear, 60);
}

TEST(Procedural, TurnAndBackKeepsTheMiddle) {
    const int n = 31;
    std::vector<uint8_t> px(size_t(n) * n * 4);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            uint8_t* p = px.data() + (size_t(y) * n + x) * 4;
            p[0] = static_cast<uint8_t>(x * 8);
            p[1] = static_cast<uint8_t>(y * 8);
            p[2] = 100;
            p[3] = 255;
        }
    }
    const auto original = px;
    ASSERT_TRUE(rotateByEffect(px, n, n, 25));
    ASSERT_TRUE(rotateByEffect(px, n, n, -25));
    // A smooth ramp survives two bilinear passes within a couple of levels inside the
    // circle that never left the frame.
    for (int y = 8; y < 23; ++y) {
        for (int x = 8; x < 23; ++x) {
            for (int c = 0; c < 4; ++c) {
                EXPECT_NEAR(pixel(px, n, x, y)[c], pixel(original, n, x, y)[c], 2) << x << " " << y << " " << c;
            }
        }
    }
}

TEST(Procedural, ScaleValueZoomsAboutTheCentre) {
    const int n = 9;
    std::vector<uint8_t> px(size_t(n) * n * 4, 0);
    uint8_t* centre = px.data() + (size_t(4) * n + 4) * 4;
    centre[0] = centre[3] = 255;
    ASSERT_TRUE(rotateByEffect(px, n, n, 0, 300));  // the centre pixel spreads three wide
    for (int x = 3; x <= 5; ++x) EXPECT_GT(pixel(px, n, x, 4)[3], 100) << x;
    EXPECT_EQ(pixel(px, n, 1, 4)[3], 0);
    EXPECT_FALSE(rotateRgba32(px.data(), n, n, 10, 0));
    EXPECT_FALSE(rotateRgba32(nullptr, n, n, 10, 100));
}

}  // namespace
