#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "brush/image_brush_state.h"
#include "platform/platform.h"
#include "support/cli_run.h"
#include "support/engine_fixture.h"
#include "support/scratch_dir.h"

namespace {

class ClipboardTest : public EngineTest {
protected:
    static std::vector<uint8_t> clipboardImage(int& w, int& h) {
        if (!DRO_FromClipboard()) return {};
        w = DRO_GetNewRGBAWidth();
        h = DRO_GetNewRGBAHeight();
        std::vector<uint8_t> out(static_cast<size_t>(w) * h * 4);
        DRO_GetNewRGBA32(out.data());
        DRO_DeleteNewRGBA();
        return out;
    }

    static std::vector<uint8_t> layer32(int w, int h) {
        std::vector<uint8_t> out(static_cast<size_t>(w) * h * 4);
        DRO_GetRGBA32Layer(out.data(), w * 4, 1);
        return out;
    }

    static std::vector<uint8_t> solid(int w, int h, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
        std::vector<uint8_t> out;
        for (int i = 0; i < w * h; ++i) out.insert(out.end(), {r, g, b, a});
        return out;
    }

    // The system's clipboard outlives the engine, so a test that needs no readable image
    // there puts an unreadable one in place of what an earlier test left.
    static void clipboardHoldsNoImage() {
        const uint8_t junk[] = {1, 2, 3};
        ASSERT_TRUE(dro::platform::writeClipboardDib(junk, sizeof junk));
    }

    ScratchDir scratch_{"drovane_clipboard"};
};

TEST_F(ClipboardTest, BlocksRoundTripExactly) {
    const int w = 13, h = 7;
    auto block = randomRGBA32(w, h, 3);
    DRO_RGBA32ToClipboardRect(block.data(), 0, 0, w, h, 0);
    int rw = 0, rh = 0;
    EXPECT_EQ(clipboardImage(rw, rh), block);
    EXPECT_EQ(rw, w);
    EXPECT_EQ(rh, h);
}

TEST_F(ClipboardTest, RectanglesAreNormalisedAndCutToTheCanvas) {
    const int w = 16, h = 12;
    openCanvas(w, h);
    const auto layer = randomRGBA32(w, h, 9);
    DRO_LoadRGBA32Layer(layer.data(), w * 4, 1, 0, 0, w, h, 0);
    const auto pixels = layer32(w, h);
    auto crop = [&](int x, int y, int cw, int ch) {
        std::vector<uint8_t> out;
        for (int j = y; j < y + ch; ++j)
            out.insert(out.end(), pixels.begin() + (j * w + x) * 4, pixels.begin() + (j * w + x + cw) * 4);
        return out;
    };
    struct Case {
        int x0, y0, x1, y1, x, y, cw, ch;
    } cases[] = {
        {2, 4, 10, 10, 2, 4, 8, 6},     // the larger edges excluded
        {10, 10, 2, 4, 2, 4, 8, 6},     // corners in either order
        {-5, -3, 3, 2, 0, 0, 3, 2},     // cut at the top left
        {12, 9, 40, 30, 12, 9, 4, 3},   // and at the bottom right
    };
    for (const Case& c : cases) {
        DRO_ToClipboardRect(c.x0, c.y0, c.x1, c.y1);
        int rw = 0, rh = 0;
        EXPECT_EQ(clipboardImage(rw, rh), crop(c.x, c.y, c.cw, c.ch)) << c.x0 << "," << c.y0;
        EXPECT_EQ(rw, c.cw);
        EXPECT_EQ(rh, c.ch);
    }
    // Off the canvas or empty: the clipboard keeps what it had.
    DRO_ToClipboardRect(20, 20, 30, 30);
    DRO_ToClipboardRect(3, 3, 3, 8);
    int rw = 0, rh = 0;
    clipboardImage(rw, rh);
    EXPECT_EQ(rw, 4);
    EXPECT_EQ(rh, 3);
}

TEST_F(ClipboardTest, FailedReadsNeverPutAStaleImportBufferOnTheClipboard) {
    const std::string file = scratch_.path("seed.png");
    const auto seed = solid(3, 3, 200, 10, 10, 255);
    ASSERT_NE(DRO_WriteToFileRGBA32(seed.data(), 3, 3, file.c_str(), ".png", 72), 0);
    ASSERT_EQ(DRO_ReadFromFile(file.c_str()), 1);  // the import buffer now holds a picture

    clipboardHoldsNoImage();
    DRO_ClipboardFlip(1);
    EXPECT_EQ(DRO_FromClipboard(), 0);
    DRO_ReadFromFile(file.c_str());
    DRO_ToClipboardFromFile(scratch_.path("missing.png").c_str());
    EXPECT_EQ(DRO_FromClipboard(), 0);

    DRO_ToClipboardFromFile(file.c_str());
    int rw = 0, rh = 0;
    EXPECT_EQ(clipboardImage(rw, rh), seed);
}

TEST_F(ClipboardTest, FlipsMirrorTheClipboardImage) {
    const int w = 5, h = 3;
    const auto block = randomRGBA32(w, h, 11);
    DRO_RGBA32ToClipboardRect(block.data(), 0, 0, w, h, 0);
    DRO_ClipboardFlip(1);
    int rw = 0, rh = 0;
    const auto mirrored = clipboardImage(rw, rh);
    ASSERT_EQ(mirrored.size(), block.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c)
                ASSERT_EQ(mirrored[(y * w + x) * 4 + c], block[(y * w + (w - 1 - x)) * 4 + c]);
    DRO_ClipboardFlip(1);
    DRO_ClipboardFlip(0);
    DRO_ClipboardFlip(0);
    EXPECT_EQ(clipboardImage(rw, rh), block);
}

TEST_F(ClipboardTest, TransformedPasteLandsUnscaledAtFullSizeAndIsTransformedOnce) {
    const int w = 20, h = 10;
    openCanvas(w, h);
    const auto white = solid(w, h, 255, 255, 255, 255);
    DRO_LoadRGBA32Layer(white.data(), w * 4, 1, 0, 0, w, h, 0);
    const auto clip = solid(6, 4, 10, 20, 30, 255);
    DRO_RGBA32ToClipboardRect(clip.data(), 0, 0, 6, 4, 0);

    // Longest side 6 and a full turn: the clip as it is, its centre at (10, 5).
    DRO_FromClipboardIntoEX2(10, 5, 6, 36000, 1, 1, 256);
    auto px = layer32(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool inside = x >= 7 && x < 13 && y >= 3 && y < 7;
            ASSERT_EQ(px[(y * w + x) * 4], inside ? 10 : 255) << x << "," << y;
        }
    // A new clipboard image: the same key still pastes the cached clip, not the clipboard.
    const auto other = solid(6, 4, 40, 20, 30, 255);
    DRO_RGBA32ToClipboardRect(other.data(), 0, 0, 6, 4, 0);
    // Left of the canvas: nothing changes.
    DRO_FromClipboardIntoEX2(-20, 0, 6, 36000, 0, 1, 256);
    EXPECT_EQ(layer32(w, h), px);
    // Half off the left edge: the visible half lands at column 0.
    DRO_LoadRGBA32Layer(white.data(), w * 4, 1, 0, 0, w, h, 0);
    DRO_FromClipboardIntoEX2(-3, 0, 6, 36000, 0, 1, 256);
    px = layer32(w, h);
    EXPECT_EQ(px[(0 * w + 2) * 4], 10);
    EXPECT_EQ(px[(0 * w + 3) * 4], 255);
    EXPECT_EQ(px[(4 * w + 0) * 4], 255);
    // Another key reads the clipboard again; a quarter turn makes the clip 4 x 6.
    DRO_LoadRGBA32Layer(white.data(), w * 4, 1, 0, 0, w, h, 0);
    DRO_FromClipboardIntoEX2(0, 0, 6, 9000, 0, 0, 256);
    px = layer32(w, h);
    EXPECT_EQ(px[(5 * w + 3) * 4], 40);
    EXPECT_EQ(px[(5 * w + 4) * 4], 255);
    EXPECT_EQ(px[(6 * w + 0) * 4], 255);
}

TEST_F(ClipboardTest, ClipsFittedIntoASquareAreCentred) {
    // 200 x 100 into 50: 50 x 25 at (0, 12).
    openCanvas(8, 8);  // its brush box of 64 takes the image brush below
    const auto clip = solid(200, 100, 0, 0, 255, 255);
    DRO_RGBA32ToClipboardRect(clip.data(), 0, 0, 200, 100, 0);
    const std::string file = scratch_.path("brush.png");
    DRO_FromClipboardToImageBrushFile(file.c_str(), 50);
    const Picture p = readPicture(file);
    ASSERT_EQ(p.width, 50);
    ASSERT_EQ(p.height, 50);
    for (int y = 0; y < 50; ++y) {
        const bool inside = y >= 12 && y < 37;
        EXPECT_EQ(p.at(0, y)[3], inside ? 255 : 0) << y;
        EXPECT_EQ(p.at(49, y)[3], inside ? 255 : 0) << y;
    }
    EXPECT_EQ(p.at(25, 20)[2], 255);

    // The image brush made from the clipboard holds the same fitted square.
    DRO_FromClipboardToImageBrush(50);
    const dro::Rgba64Image& master = dro::imageBrush().master;
    ASSERT_EQ(master.width, 50);
    ASSERT_EQ(master.height, 50);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x)
            for (int c = 0; c < 4; ++c)
                ASSERT_EQ(master.pixels[(static_cast<size_t>(y) * 50 + x) * 4 + c] >> 8, p.at(x, y)[c]) << x << "," << y;
}

TEST_F(ClipboardTest, ShapeFilesTakeTheirLevelFromDarknessOfOpaqueClips) {
    std::vector<uint8_t> clip;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const uint8_t v = x < 4 ? 0 : 255;
            clip.insert(clip.end(), {v, v, v, 255});
        }
    DRO_RGBA32ToClipboardRect(clip.data(), 0, 0, 8, 8, 0);
    const std::string file = scratch_.path("shape.png");
    DRO_FromClipboardToShapeFile(file.c_str(), 8, 0);
    const Picture p = readPicture(file);
    ASSERT_EQ(p.width, 8);
    EXPECT_EQ(p.at(1, 4)[0], 255);  // black became full coverage, shown white
    EXPECT_EQ(p.at(6, 4)[0], 0);
    EXPECT_EQ(p.at(6, 4)[3], 255);
}

TEST_F(ClipboardTest, CallsWithoutCanvasClipboardOrArgumentsDoNothing) {
    clipboardHoldsNoImage();
    EXPECT_EQ(DRO_FromClipboardInto(0, 0, 1), 0);
    DRO_ToClipboard();
    DRO_ToClipboardRect(0, 0, 5, 5);
    DRO_RGBA32ToClipboardRect(nullptr, 0, 0, 4, 4, 1);
    DRO_FromClipboardIntoEX2(0, 0, 10, 0, 0, 0, 256);
    DRO_FromClipboardToShapeFile(nullptr, 0, 0);
    EXPECT_EQ(DRO_FromClipboardToFile(scratch_.path("x.png").c_str(), ".png", 72), 0);
    EXPECT_EQ(DRO_FromClipboard(), 0);
    openCanvas(8, 8);
    EXPECT_EQ(DRO_FromClipboardInto(0, 0, 1), 0);
}

TEST_F(ClipboardTest, ClipFillStretchesTheClipOverTheLayerAtTheSliderOpacity) {
    const int w = 16, h = 8;
    openCanvas(w, h);
    const auto white = solid(w, h, 255, 255, 255, 255);
    DRO_LoadRGBA32Layer(white.data(), w * 4, 1, 0, 0, w, h, 0);
    DRO_IPLAllocSrcBuffer32();
    DRO_IPLAllocDstBuffer32();
    auto fill = [](int slider2) {
        DRO_IPLImageProcess(0, "Clip Fill", 0, 0, slider2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
    };
    fill(1000);  // an empty clipboard changes nothing
    EXPECT_EQ(layer32(w, h), white);

    // Left half red, right half blue, alpha 0 in the clip: the fill is opaque.
    const std::vector<uint8_t> clip = {200, 0, 0, 0, 200, 0, 0, 0, 0, 0, 200, 0, 0, 0, 200, 0};
    DRO_RGBA32ToClipboardRect(clip.data(), 0, 0, 4, 1, 0);
    fill(1000);
    auto px = layer32(w, h);
    EXPECT_EQ(px[(4 * w + 1) * 4 + 0], 200);
    EXPECT_EQ(px[(4 * w + 1) * 4 + 2], 0);
    EXPECT_EQ(px[(4 * w + 14) * 4 + 2], 200);
    EXPECT_EQ(px[(4 * w + 14) * 4 + 0], 0);
    EXPECT_EQ(px[(4 * w + 14) * 4 + 3], 255);

    // At half the slider the layer keeps about half its white.
    DRO_LoadRGBA32Layer(white.data(), w * 4, 1, 0, 0, w, h, 0);
    fill(500);
    px = layer32(w, h);
    EXPECT_NEAR(px[(4 * w + 14) * 4 + 0], 128, 3);
    EXPECT_NEAR(px[(4 * w + 14) * 4 + 2], 228, 3);
}

}  // namespace
