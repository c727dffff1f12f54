// Brush shapes: the round dab with its rim, and shapes made from image files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "brush/brush_buffers.h"
#include "brush/brush_shape.h"
#include "brush/tool_settings.h"
#include "brush/brush_file_fixture.h"
#include "core/allocation.h"
#include "support/engine_fixture.h"

namespace {

using dro::brushBuffers;
using dro::toolSettings;

class BrushShapeTest : public EngineTest {
protected:
    int M = 0;
    void open(int maxBrush, int size) {
        M = maxBrush;
        openCanvas(16, 16, 1, 1, maxBrush);
        DRO_SetSize(size);
        toolSettings().shapeGain = 1.0f;
    }
    uint16_t at(int x, int y) const { return brushBuffers().brushPlane[static_cast<size_t>(y) * M + x]; }
    int size() const { return toolSettings().size; }
};

TEST_F(BrushShapeTest, HardDiscIsSymmetricAndFullInside) {
    open(40, 21);
    std::memset(brushBuffers().brushPlane.get(), 0x77, 40 * 40 * 2);
    DRO_SetBrushShape("", 0);
    int covered = 0;
    for (int y = 0; y < M; ++y) {
        for (int x = 0; x < M; ++x) {
            const uint16_t v = at(x, y);
            if (x >= 21 || y >= 21) {
                ASSERT_EQ(v, 0) << "stale values beyond the size are cleared";
                continue;
            }
            ASSERT_TRUE(v == 0 || v == 65535);
            ASSERT_EQ(v, at(20 - x, y));
            ASSERT_EQ(v, at(y, x));
            covered += v != 0;
        }
    }
    // A disc of radius 10.5 covers about pi r^2 pixel centres.
    EXPECT_NEAR(covered, 3.14159 * 10.5 * 10.5, 12);
    EXPECT_EQ(at(0, 0), 0);
    EXPECT_EQ(at(10, 0), 65535);  // the top middle pixel centre lies 10 from the centre
}

TEST_F(BrushShapeTest, SinglePixelBrushIsFull) {
    open(8, 1);
    DRO_SetBrushShape("", 0);
    EXPECT_EQ(at(0, 0), 65535);
    EXPECT_EQ(at(1, 0), 0);
}

TEST_F(BrushShapeTest, FullSoftnessFallsLinearlyToTheEdge) {
    open(64, 40);
    toolSettings().edgeSoftness = 255;
    DRO_SetBrushShape("", 0);
    // Along the middle row the value is (r - d) / r of full: d = |x + 0.5 - 20|.
    for (int x = 0; x < 40; ++x) {
        const double d = std::hypot(x + 0.5 - 20.0, 0.5);
        EXPECT_NEAR(at(x, 20), std::max(0.0, (20.0 - d) / 20.0 * 65535.0), 1.0) << x;
    }
    for (int x = 21; x < 39; ++x) EXPECT_GT(at(x, 20), at(x + 1, 20));
}

TEST_F(BrushShapeTest, PartialSoftnessKeepsAFullCore) {
    open(64, 40);
    toolSettings().edgeSoftness = 51;  // rim a fifth of the radius: 4 pixels
    DRO_SetBrushShape("", 0);
    for (int x = 5; x <= 34; ++x) EXPECT_EQ(at(x, 20), 65535) << x;  // d <= 15.5 lies in the core
    EXPECT_GT(at(1, 20), 0);
    EXPECT_LT(at(1, 20), 65535);
}

TEST_F(BrushShapeTest, GainScalesAndInversionMakesARing) {
    open(32, 20);
    toolSettings().shapeGain = 0.5f;
    DRO_SetBrushShape("", 0);
    EXPECT_EQ(at(10, 10), 32767);
    toolSettings().shapeGain = 2.0f;  // beyond 16 bits: saturates
    DRO_SetBrushShape("", 0);
    EXPECT_EQ(at(10, 10), 65535);

    toolSettings().shapeGain = 1.0f;
    toolSettings().edgeSoftness = 255;
    toolSettings().invertShape = 1;
    DRO_SetBrushShape("", 0);
    EXPECT_LT(at(10, 10), 5000);   // centre low
    EXPECT_GT(at(10, 1), 50000);   // rim high
    EXPECT_EQ(at(0, 0), 0);        // outside the disc stays 0
    toolSettings().edgeSoftness = 0;
    DRO_SetBrushShape("", 0);
    EXPECT_EQ(at(10, 10), 0);  // a hard inverted disc covers nothing
}

TEST_F(BrushShapeTest, OriginalMeasuresFromTheIntegerCentre) {
    open(16, 4);
    DRO_SetBrushShape("", 0);
    EXPECT_EQ(at(0, 1), 65535);  // pixel centre (0.5, 1.5) is 1.58 from (2, 2)
    EXPECT_EQ(at(3, 3), 0);      // (3.5, 3.5) is 2.12 from it
    DRO_SetBrushShape_ORIGINAL("", 0);
    EXPECT_EQ(at(0, 1), 0);  // (0, 1) is 2.24 from (2, 2), beyond the radius 2
    EXPECT_EQ(at(2, 2), 65535);
    EXPECT_EQ(at(0, 2), 65535);  // exactly on the radius
    EXPECT_EQ(at(3, 3), 65535);
}

TEST_F(BrushShapeTest, WhiteImageBecomesFullCoverageAtAnySize) {
    const std::string path = writeBrushPng("shape_white.png", 24, 24, [](int, int) { return greyPixel(255); });
    for (int blur : {0, 40}) {
        for (int size : {5, 24, 50}) {  // shrink, same, enlarge
            open(64, size);
            toolSettings().shapeBlur = blur;
            DRO_SetBrushShape(path.c_str(), 0);
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) ASSERT_EQ(at(x, y), 65280) << blur << " " << size;
            }
            EXPECT_EQ(at(size, 0), 0);
            DRO_SetBrushShape_ORIGINAL(path.c_str(), 0);
            EXPECT_EQ(at(size / 2, size / 2), 65280);
            DRO_DeleteImage();
        }
    }
}

TEST_F(BrushShapeTest, ImageShapeFollowsTheImageAndItsRotation) {
    // Left half white, right half black.
    const std::string path =
        writeBrushPng("shape_half.png", 32, 32, [](int x, int) { return greyPixel(x < 16 ? 255 : 0); });
    open(64, 32);
    toolSettings().grainInterval = 11;
    DRO_SetBrushShape(path.c_str(), 0);
    EXPECT_EQ(toolSettings().drawingLength, 11);
    EXPECT_EQ(at(4, 10), 65280);
    EXPECT_EQ(at(28, 10), 0);

    // A quarter turn counter-clockwise on screen brings the left half to the bottom.
    DRO_SetBrushShape(path.c_str(), 90);
    EXPECT_EQ(brushBuffers().shapeImageParam, 90);
    EXPECT_EQ(at(10, 28), 65280);
    EXPECT_EQ(at(10, 4), 0);
    DRO_SetBrushShape(path.c_str(), -90);
    EXPECT_EQ(at(10, 4), 65280);
    EXPECT_EQ(at(10, 28), 0);
}

TEST_F(BrushShapeTest, ShapeFileIsReadOnceUntilPathOrRotationChanges) {
    const std::string path = writeBrushPng("shape_cached.png", 16, 16, [](int, int) { return greyPixel(128); });
    open(32, 16);
    DRO_SetBrushShape(path.c_str(), 30);
    const uint16_t fromFile = at(8, 8);
    EXPECT_EQ(fromFile, 128 * 256);
    ASSERT_EQ(std::remove(path.c_str()), 0);

    DRO_SetSize(20);  // a new size reuses the cached image
    DRO_SetBrushShape(path.c_str(), 30);
    EXPECT_EQ(at(10, 10), 128 * 256);
    EXPECT_LT(at(0, 0), 128 * 64);  // the corners turned out of a 30-degree frame are dark

    DRO_SetBrushShape(path.c_str(), 31);  // new rotation: reread, which now fails
    EXPECT_EQ(at(10, 10), 65535);           // round shape
    EXPECT_EQ(brushBuffers().shapeWidth, 0);
}

TEST_F(BrushShapeTest, UnloadKeepsThePathButForcesARereading) {
    const std::string path = writeBrushPng("shape_unload.png", 8, 8, [](int, int) { return greyPixel(64); });
    open(16, 8);
    DRO_SetBrushShape(path.c_str(), 0);
    EXPECT_EQ(at(4, 4), 64 * 256);
    DRO_UnloadBrushShape();
    EXPECT_FALSE(brushBuffers().shapeImage);
    EXPECT_EQ(brushBuffers().shapeWidth, 0);
    EXPECT_EQ(brushBuffers().shapePath, path);
    DRO_SetBrushShape(path.c_str(), 0);  // rereads
    EXPECT_EQ(at(4, 4), 64 * 256);
    std::remove(path.c_str());
    DRO_UnloadBrushShape();
    DRO_SetBrushShape(path.c_str(), 0);
    EXPECT_EQ(at(4, 4), 65535);
}

TEST_F(BrushShapeTest, UnreadableFilesAndFailedAllocationsLeaveTheRoundShape) {
    open(16, 8);
    DRO_SetBrushShape("/nonexistent/shape.png", 0);
    EXPECT_EQ(at(4, 4), 65535);
    EXPECT_EQ(at(0, 0), 0);

    const std::string path = writeBrushPng("shape_alloc.png", 8, 8, [](int, int) { return greyPixel(32); });
    dro::testhooks::failAllAllocations(true);
    DRO_SetBrushShape(path.c_str(), 0);
    dro::testhooks::failAllAllocations(false);
    EXPECT_EQ(at(4, 4), 65535);
    for (int n = 1; n <= 4; ++n) {  // each allocation of a build failing in turn
        DRO_UnloadBrushShape();
        dro::testhooks::failNthAllocation(n);
        DRO_SetBrushShape(path.c_str(), 0);
        dro::testhooks::failNthAllocation(0);
        EXPECT_TRUE(at(4, 4) == 65535 || at(4, 4) == 32 * 256) << n;
    }
}

TEST_F(BrushShapeTest, BrushBeyondTheBoxIsBuiltWithinIt) {
    open(16, 16);
    toolSettings().size = 900;  // as if set before a smaller canvas was made
    DRO_SetBrushShape("", 0);   // the sanitizer build checks nothing lands beyond 16 x 16
    EXPECT_EQ(dro::shapeEdge(), 16);
    EXPECT_EQ(at(8, 8), 65535);
    const std::string path = writeBrushPng("shape_big.png", 40, 40, [](int, int) { return greyPixel(255); });
    DRO_SetBrushShape(path.c_str(), 0);
    EXPECT_EQ(at(15, 15), 65280);
}

}  // namespace

namespace {

TEST_F(BrushShapeTest, ScriptShapeIsThePictureItRenders) {
    // A script and a PNG of its rendering give the same shape, turned or not.
    const auto [script, png] = writeScriptAndItsPicture(
        "shape_script", "drovane-procedural 1\nsize 48 40\ngenerator circles seed=4 style=12 count=6 radius=30\n");
    open(64, 33);
    DRO_SetBrushShape("", 0);
    const std::vector<uint16_t> round(brushBuffers().brushPlane.get(), brushBuffers().brushPlane.get() + 64 * 64);
    for (int degrees : {0, 30}) {
        DRO_SetBrushShape(png.c_str(), degrees);
        const std::vector<uint16_t> fromPicture(brushBuffers().brushPlane.get(), brushBuffers().brushPlane.get() + 64 * 64);
        DRO_SetBrushShape(script.c_str(), degrees);
        EXPECT_EQ(brushBuffers().shapeWidth, 48);
        const std::vector<uint16_t> fromScript(brushBuffers().brushPlane.get(), brushBuffers().brushPlane.get() + 64 * 64);
        EXPECT_EQ(fromScript, fromPicture) << degrees;
        EXPECT_NE(fromScript, round);
    }
    // A broken script is refused and leaves the round shape.
    const std::string broken = brushScratch("shape_broken.dps");
    std::FILE* f = std::fopen(broken.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("drovane-procedural 1\nsize 48 40\ngenerator nothing\n", f);
    std::fclose(f);
    DRO_SetBrushShape(broken.c_str(), 0);
    EXPECT_EQ(std::vector<uint16_t>(brushBuffers().brushPlane.get(), brushBuffers().brushPlane.get() + 64 * 64), round);
}

}  // namespace
