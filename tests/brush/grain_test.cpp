// Grain buffers: random cells, grain images, and the cursor that hops between buffers.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "brush/brush_buffers.h"
#include "brush/grain.h"
#include "brush/tool_settings.h"
#include "brush/brush_file_fixture.h"
#include "support/engine_fixture.h"

namespace {

using dro::brushBuffers;
using dro::toolSettings;

class GrainTest : public EngineTest {
protected:
    int M = 0;
    void open(int maxBrush, int size) {
        M = maxBrush;
        openCanvas(16, 16, 1, 1, maxBrush);
        DRO_SetSize(size);
    }
    static void setTool(int cell, int cellThreshold, int fillThreshold, const char* grain = "", int interval = 4) {
        DRO_SetTool(1.0f, cell, cellThreshold, fillThreshold, 0, 0, interval, 0, 0, 0, 0, 0, 0, grain, "", 0);
    }
    uint8_t at(int buffer, int row, int column) const {
        return brushBuffers().grain[buffer][static_cast<size_t>(row) * M + column];
    }
};

// A dab may come before the first tool: what it reads then is zero, not whatever the
// heap held. The heap is first filled with blocks of the buffers' sizes and freed.
TEST_F(GrainTest, NewBuffersAreZeroWhateverTheHeapHeld) {
    constexpr int kMax = 40;
    for (size_t bytes : {size_t(kMax + dro::kGrainMargin) * (kMax + dro::kGrainMargin), size_t(kMax) * kMax * 2}) {
        std::vector<void*> blocks;
        for (int i = 0; i < 2 * dro::kGrainBufferCount; ++i) blocks.push_back(std::memset(std::malloc(bytes), 0xA5, bytes));
        for (void* p : blocks) std::free(p);
    }
    open(kMax, 15);
    for (int b = 0; b < dro::kGrainBufferCount; ++b) {
        for (int64_t i = 0; i < dro::grainBufferBytes(); ++i) ASSERT_EQ(brushBuffers().grain[b][i], 0) << b;
    }
    for (int i = 0; i < kMax * kMax; ++i) ASSERT_EQ(brushBuffers().brushPlane[i], 0) << i;
}

TEST_F(GrainTest, NoCellBelowAZeroThreshold) {
    open(40, 15);
    setTool(3, 0, 255);
    for (int b = 0; b < dro::kGrainBufferCount; ++b) {
        for (int64_t i = 0; i < dro::grainBufferBytes(); ++i) ASSERT_EQ(brushBuffers().grain[b][i], 255);
    }
}

TEST_F(GrainTest, FullThresholdsFillTheWindowWithUniformCells) {
    // Bytes are 0..254, so thresholds of 255 place every cell and fill every pixel.
    open(64, 30);  // window N = 55 fits in a row of 64: no wrap to the next row
    const int n = 55, c = 4;
    setTool(c, 255, 255);
    std::set<int> values;
    for (int b = 0; b < dro::kGrainBufferCount; ++b) {
        for (int y = 0; y < M + 25; ++y) {
            for (int x = 0; x < M; ++x) {
                const uint8_t v = at(b, y, x);
                if (y >= n || x >= n) {
                    ASSERT_EQ(v, 255) << b << " " << x << " " << y;
                    continue;
                }
                ASSERT_LT(v, 254);  // cell values come from a table of bytes mod 254
                ASSERT_EQ(v, at(b, y - y % c, x - x % c)) << "cells are uniform";
                values.insert(v);
            }
        }
    }
    EXPECT_GT(values.size(), 50u);
    EXPECT_EQ(toolSettings().drawingLength, 4);
    EXPECT_EQ(brushBuffers().grainBuffer, dro::kGrainBufferCount - 1);
    EXPECT_EQ(brushBuffers().grainOffset, 0);
}

TEST_F(GrainTest, ThresholdsThinCellsAndPixels) {
    open(64, 39);
    setTool(8, 128, 64);
    int64_t painted = 0, total = 0;
    for (int b = 0; b < dro::kGrainBufferCount; ++b) {
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x, ++total) painted += at(b, y, x) != 255;
        }
    }
    // About half the cells, a quarter of their pixels: an eighth of the window.
    const double share = static_cast<double>(painted) / total;
    EXPECT_GT(share, 0.06);
    EXPECT_LT(share, 0.2);
}

TEST_F(GrainTest, LargeCellsNeverReadPastTheRandomTables) {
    // With cells of 100 and a window of 1025, a row of cells consumes about 110 000
    // table bytes from a start anywhere below 1 000 000 - 200: the walk must wrap.
    open(1000, 1000);
    setTool(100, 255, 255);
    EXPECT_NE(at(0, 0, 0), 255);
    // Cells wider than half the table push the start formula below zero.
    setTool(600000, 255, 255);
    EXPECT_NE(at(7, 3, 3), 255);
    EXPECT_EQ(at(7, 3, 3), at(7, 900, 900));  // one cell covers the window
    setTool(-3, 255, 255);  // a negative cell places nothing
    EXPECT_EQ(at(0, 0, 0), 255);
}

TEST_F(GrainTest, AdvanceHopsOnlyWhenTheCountdownRunsOut) {
    open(32, 20);
    setTool(2, 200, 200, "", 3);
    const uint8_t* start = dro::grainCursor();
    ASSERT_EQ(start, brushBuffers().grain[19].get());
    dro::advanceGrain();  // countdown 3: not due
    EXPECT_EQ(dro::grainCursor(), start);
    toolSettings().drawingLength = 0;
    std::set<const uint8_t*> seen;
    for (int i = 0; i < 200; ++i) {
        toolSettings().drawingLength = 0;
        dro::advanceGrain();
        EXPECT_EQ(toolSettings().drawingLength, 3);
        const auto& b = brushBuffers();
        EXPECT_LT(b.grainOffset, 24 * 32 + 25);
        EXPECT_EQ(b.grainOffset % 32 < 25, true);
        // Every read a dab of the current size makes stays inside the buffer.
        EXPECT_GE(dro::grainCursorBytes(), int64_t{19} * 32 + 20);
        seen.insert(dro::grainCursor());
    }
    EXPECT_GT(seen.size(), 100u);

    toolSettings().grainCellSize = 0;  // grain off: never moves
    toolSettings().drawingLength = 0;
    const uint8_t* here = dro::grainCursor();
    dro::advanceGrain();
    EXPECT_EQ(dro::grainCursor(), here);
}

TEST_F(GrainTest, FirstHopAfterABuildLeavesTheBufferStart) {
    open(16, 8);
    for (uint32_t seed = 1; seed < 60; ++seed) {
        DRO_SetRandomSeed(seed);
        setTool(2, 100, 100, "", 0);
        dro::advanceGrain();
        const auto& b = brushBuffers();
        EXPECT_FALSE(b.grainBuffer == 19 && b.grainOffset == 0) << seed;
    }
}

TEST_F(GrainTest, GrainImageFillsTheWindowAtRandomOffsets) {
    open(64, 20);  // N = 45
    // Exactly N wide and high: both offsets are 0, and the window is the whole image.
    const std::string exact = writeBrushPng("grain_exact.png", 45, 45, [](int x, int y) { return greyPixel(x * 4 + y); });
    setTool(0, 0, 0, exact.c_str(), 6);
    EXPECT_EQ(toolSettings().drawingLength, 6);
    for (int b : {0, 19}) {
        for (int y = 0; y < 45; ++y) {
            for (int x = 0; x < 45; ++x) ASSERT_EQ(at(b, y, x), x * 4 + y);
        }
        EXPECT_EQ(at(b, 45, 0), 255);
        EXPECT_EQ(at(b, 0, 45), 255);
    }

    // A larger image: each buffer is a window of it, at an offset below (W - N, H - N).
    const std::string big = writeBrushPng("grain_big.png", 120, 80, [](int x, int y) { return greyPixel((x * 7 + y * y * 3) % 251); });
    setTool(0, 0, 0, big.c_str());
    std::set<int> offsets;
    for (int b = 0; b < dro::kGrainBufferCount; ++b) {
        const int first = at(b, 0, 0);
        // Find an offset whose window matches the buffer.
        bool matched = false;
        for (int oy = 0; oy < 80 - 45 && !matched; ++oy) {
            for (int ox = 0; ox < 120 - 45 && !matched; ++ox) {
                if ((ox * 7 + oy * oy * 3) % 251 != first) continue;
                bool all = true;
                for (int y = 0; y < 45 && all; y += 11) {
                    for (int x = 0; x < 45 && all; x += 7) all = at(b, y, x) == ((ox + x) * 7 + (oy + y) * (oy + y) * 3) % 251;
                }
                if (all) {
                    matched = true;
                    offsets.insert(oy * 1000 + ox);
                }
            }
        }
        EXPECT_TRUE(matched) << b;
    }
    EXPECT_GT(offsets.size(), 10u);
}

TEST_F(GrainTest, SmallGrainImageLendsWhatItHas) {
    open(64, 20);
    const std::string small = writeBrushPng("grain_small.png", 10, 6, [](int, int) { return greyPixel(7); });
    setTool(0, 0, 0, small.c_str());
    EXPECT_EQ(at(3, 5, 9), 7);
    EXPECT_EQ(at(3, 6, 9), 255);
    EXPECT_EQ(at(3, 5, 10), 255);
}

TEST_F(GrainTest, FileGrainIsSkippedForLargeBrushesAndBadPaths) {
    const std::string path = writeBrushPng("grain_flat.png", 700, 700, [](int, int) { return greyPixel(9); });
    open(600, 575);  // N = 600: grain files are skipped, random grain stays
    setTool(3, 255, 255, path.c_str());
    EXPECT_NE(at(0, 0, 0), 9);
    EXPECT_NE(at(0, 0, 0), 255);
    DRO_SetSize(574);
    setTool(3, 255, 255, path.c_str());
    EXPECT_EQ(at(0, 0, 0), 9);

    // Unreadable and one-character paths leave the random grain of the same call.
    setTool(3, 255, 255, "/nonexistent/grain.png");
    const uint8_t random = at(0, 0, 0);
    EXPECT_NE(random, 9);
    setTool(3, 255, 255, "g");
    EXPECT_EQ(at(0, 0, 0), random);
}

}  // namespace

namespace {

TEST_F(GrainTest, ScriptGrainIsThePictureItRenders) {
    // 600 x 600 fills the tile exactly, so the script and a PNG of its picture must give
    // the same twenty windows.
    const auto [script, png] = writeScriptAndItsPicture(
        "grain_script", "drovane-procedural 1\nsize 600 600\ngenerator noise seed=3 grain=3\n");
    open(64, 20);
    setTool(0, 0, 0, png.c_str());
    std::vector<uint8_t> fromPicture;
    for (int b = 0; b < dro::kGrainBufferCount; ++b)
        for (int y = 0; y < 45; ++y)
            for (int x = 0; x < 45; ++x) fromPicture.push_back(at(b, y, x));
    setTool(0, 0, 0, script.c_str());
    std::vector<uint8_t> fromScript;
    for (int b = 0; b < dro::kGrainBufferCount; ++b)
        for (int y = 0; y < 45; ++y)
            for (int x = 0; x < 45; ++x) fromScript.push_back(at(b, y, x));
    EXPECT_EQ(fromScript, fromPicture);
    EXPECT_GT(std::set<uint8_t>(fromScript.begin(), fromScript.end()).size(), 20u);
}

}  // namespace
