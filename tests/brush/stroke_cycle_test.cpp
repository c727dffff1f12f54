// A whole stroke as a host paints it, through the public calls only: tool, paint
// layer, dabs, render, merge, undo save, undo and redo.
#include <algorithm>
#include <cstring>
#include <vector>

#include "support/engine_fixture.h"

namespace {

constexpr int W = 64;
constexpr int H = 48;

std::vector<uint8_t> renderCanvas() {
    std::vector<uint8_t> out(static_cast<size_t>(W) * H * 3);
    DRO_Render(out.data(), W * 3, 0, 0, W, H);
    return out;
}

}  // namespace

class StrokeCycleTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        openCanvas(W, H, 2, 2, 64);
        DRO_SetUndoLevels(8);
        DRO_SetUndoMB(64);
        // Layer 2 starts with content of its own, so restoring it means something.
        const std::vector<uint8_t> start = randomRGBA32(W, H, 17);
        DRO_LoadRGBA32Layer(start.data(), W * 4, 2, 0, 0, W, H, 0);
        DRO_SetLayer(2);  // fills the undo back buffer
        DRO_SetViewSize(W, H);
        DRO_SetScale(1, 1.0f);
        DRO_SetSize(12);
        DRO_SetScaleSize(12);
        DRO_SetTool(1.0f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", "", 0);  // a hard round brush
        DRO_SetAlpha(100);
        DRO_SetDensity(256);
        DRO_SetColor(200, 30, 60);
    }

    static void paintStroke() {
        for (int i = 0; i < 8; ++i) {
            DRO_DecDrawingLength();
            DRO_DrawDabGrit(10 + 5 * i, 12 + 3 * i, 200 << 8, 30 << 8, 60 << 8);
        }
    }
};

TEST_F(StrokeCycleTest, PaintRenderMergeUndoRedoRestoresBits) {
    const std::vector<uint16_t> before = layerPixels(2, W, H);
    const std::vector<uint8_t> shownBefore = renderCanvas();

    ASSERT_EQ(DRO_CreatePaintLayer(100, 100, "Normal"), 0);
    paintStroke();
    EXPECT_EQ(layerPixels(2, W, H), before) << "dabs go into the paint layer, not the layer";

    // The stroke in progress shows inside layer 2.
    const std::vector<uint8_t> shownDuring = renderCanvas();
    EXPECT_NE(shownDuring, shownBefore);
    const uint8_t* dab = shownDuring.data() + (static_cast<size_t>(12) * W + 10) * 3;
    EXPECT_NEAR(dab[2], 200, 1);
    EXPECT_NEAR(dab[1], 30, 1);
    EXPECT_NEAR(dab[0], 60, 1);

    DRO_MergePaintLayer(2);
    const std::vector<uint16_t> after = layerPixels(2, W, H);
    EXPECT_NE(after, before);
    EXPECT_EQ(renderCanvas(), shownDuring) << "what was shown during the stroke is what the merge left";

    DRO_SaveUndoBuffer(1, 1);
    ASSERT_EQ(DRO_CanUndo(), 1);
    DRO_Undo();
    EXPECT_EQ(layerPixels(2, W, H), before);
    EXPECT_EQ(renderCanvas(), shownBefore);
    DRO_Redo();
    EXPECT_EQ(layerPixels(2, W, H), after);
    EXPECT_EQ(renderCanvas(), shownDuring);

    // A second stroke on top, then both undone and redone in turn.
    paintStroke();
    DRO_MergePaintLayer(2);
    DRO_SaveUndoBuffer(1, 1);
    const std::vector<uint16_t> second = layerPixels(2, W, H);
    DRO_Undo();
    DRO_Undo();
    EXPECT_EQ(layerPixels(2, W, H), before);
    DRO_Redo();
    DRO_Redo();
    EXPECT_EQ(layerPixels(2, W, H), second);
}

TEST_F(StrokeCycleTest, ADiscardedStrokeLeavesTheCanvasAsItWas) {
    const std::vector<uint16_t> before = layerPixels(2, W, H);
    const std::vector<uint8_t> shownBefore = renderCanvas();
    DRO_CreatePaintLayer(60, 100, "Multiply");
    paintStroke();
    EXPECT_NE(renderCanvas(), shownBefore);
    DRO_ClearPaintLayer();
    EXPECT_EQ(renderCanvas(), shownBefore);
    DRO_DeletePaintLayer();
    EXPECT_EQ(layerPixels(2, W, H), before);
    EXPECT_EQ(renderCanvas(), shownBefore);
}
