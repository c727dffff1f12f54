// The paint bucket, shapes, gradients and selections on a real canvas.
#include <cmath>
#include <cstring>

#include "mask/mask_fixture.h"
#include "undo/undo_store.h"

namespace {

constexpr int W = 40, H = 30;

class FillToolTest : public MaskFixture {
protected:
    void SetUp() override {
        MaskFixture::SetUp();
        DRO_SetUndoLevels(10);
        DRO_SetUndoMB(64);
        openCanvas(W, H, 2, 2);
    }

    static void loadLayer(const std::vector<uint8_t>& rgba) { DRO_LoadRGBA32(rgba.data(), W * 4, 0); }

    static std::vector<uint8_t> layer32() {
        std::vector<uint8_t> out(W * H * 4);
        DRO_GetRGBA32Layer(out.data(), W * 4, DRO_GetLayerNum());
        return out;
    }

    static const uint8_t* at(const std::vector<uint8_t>& img, int x, int y) { return &img[(y * W + x) * 4]; }

    static void markClean() { dro::undoStore().dirtyRect = {5, 5, 6, 6}; }
    static bool wholeCanvasDirty() { return dro::undoStore().dirtyRect == dro::Rect{0, 0, W - 1, H - 1}; }

    // Grey image with a one-pixel vertical black wall at column 20.
    static std::vector<uint8_t> walled() {
        std::vector<uint8_t> img(W * H * 4, 128);
        for (int y = 0; y < H; ++y) {
            std::memset(&img[(y * W + 20) * 4], 0, 3);
            img[(y * W + 20) * 4 + 3] = 255;
        }
        for (int i = 0; i < W * H; ++i) img[i * 4 + 3] = 255;
        return img;
    }
};

}  // namespace

TEST_F(FillToolTest, ConnectedPaintFillsUpToTheWallOpaqueAndUndoes) {
    auto img = walled();
    for (int i = 0; i < W * H; ++i) img[i * 4 + 3] = 40;  // translucent: the fill makes it opaque
    loadLayer(img);
    DRO_InvalidateDirtyUndoCanvas();
    DRO_SaveUndoBuffer(1, 1);
    const auto before = layerPixels(2, W, H);
    markClean();
    DRO_IPLFloodFill(200, 10, 20, 3, 3, 0, "Paint Connected");
    EXPECT_TRUE(wholeCanvasDirty());
    const auto out = layer32();
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const uint8_t* p = at(out, x, y);
            if (x < 20) {
                ASSERT_EQ(p[0], 200);
                ASSERT_EQ(p[3], 255);
            } else {
                ASSERT_EQ(0, std::memcmp(p, at(img, x, y), 4)) << x << "," << y;
            }
        }
    }
    const auto after = layerPixels(2, W, H);
    DRO_SaveUndoBuffer(1, 1);
    DRO_Undo();
    EXPECT_EQ(layerPixels(2, W, H), before);
    DRO_Redo();
    EXPECT_EQ(layerPixels(2, W, H), after);

    // A click outside the canvas changes nothing, not even the dirty rectangle.
    markClean();
    DRO_IPLFloodFill(1, 2, 3, W, 0, 0, "Paint Connected");
    DRO_IPLMaskWand(-1, 0, 0, 100, "Connected");
    EXPECT_EQ(dro::undoStore().dirtyRect, (dro::Rect{5, 5, 6, 6}));
    EXPECT_EQ(layerPixels(2, W, H), after);
}

TEST_F(FillToolTest, EraseClearsTheRegionExceptOnTheBackgroundAndLockedLayers) {
    const auto img = walled();
    loadLayer(img);
    DRO_IPLFloodFill(9, 9, 9, 30, 3, 0, "Erase Connected");
    auto out = layer32();
    EXPECT_EQ(at(out, 30, 3)[3], 0);
    EXPECT_EQ(at(out, 2, 3)[3], 255);  // beyond the wall
    EXPECT_EQ(at(out, 20, 3)[3], 255);

    // Locked alpha: the layer keeps every bit (no marker colour shows through).
    loadLayer(img);
    DRO_SetLayerOptions(2, 1, 1, 100, "Normal");
    const auto locked = layerPixels(2, W, H);
    DRO_IPLFloodFill(9, 9, 9, 30, 3, 0, "Erase Connected");
    DRO_IPLFloodFill(9, 9, 9, 30, 3, 0, "Erase Non-connected");
    EXPECT_EQ(layerPixels(2, W, H), locked);

    // The background paints instead.
    DRO_SetLayer(1);
    DRO_IPLFloodFill(9, 8, 7, 0, 0, 0, "Erase Non-connected");
    DRO_SetLayer(1);
    std::vector<uint8_t> bg(W * H * 4);
    DRO_GetRGBA32Layer(bg.data(), W * 4, 1);
    EXPECT_EQ(bg[0], 9);
    EXPECT_EQ(bg[3], 255);
}

TEST_F(FillToolTest, FillGoesThroughTheMask) {
    loadLayer(walled());
    std::vector<uint16_t> mask(W * H, 65535);
    mask[3 * W + 4] = 0;
    setMask(mask);
    DRO_IPLFloodFill(200, 0, 0, 3, 3, 0, "Paint Non-connected");
    const auto out = layer32();
    EXPECT_EQ(at(out, 4, 3)[0], 128);  // protected
    EXPECT_EQ(at(out, 5, 3)[0], 200);
    EXPECT_EQ(at(out, 30, 3)[0], 200);  // non-connected crosses the wall
}

TEST_F(FillToolTest, RectangleKeepsTheDragConventionAndIsClipped) {
    DRO_IPLRectangle(255, 0, 0, 10, 10, 20, 20, 100);
    auto out = layer32();
    for (int y = 8; y < 23; ++y) {
        for (int x = 8; x < 23; ++x) {
            const bool inside = x >= 10 && x <= 19 && y >= 10 && y <= 20;
            ASSERT_EQ(at(out, x, y)[3], inside ? 255 : 0) << x << "," << y;
        }
    }
    loadLayer(std::vector<uint8_t>(W * H * 4, 0));
    DRO_IPLRectangle(0, 255, 0, 20, 20, 10, 10, 100);  // dragged back: 11..20
    out = layer32();
    EXPECT_EQ(at(out, 10, 15)[3], 0);
    EXPECT_EQ(at(out, 11, 15)[3], 255);
    EXPECT_EQ(at(out, 20, 15)[3], 255);

    // Far off and across the canvas edges: clipped, nothing written outside.
    DRO_IPLRectangle(0, 0, 255, -100000, -5, 2000000000, 2, 100);
    DRO_IPLMaskRectangle(-7, -7, 1 << 30, 3, 100, 0, "Add");
    EXPECT_EQ(at(layer32(), W - 1, 2)[2], 255);
    EXPECT_EQ(maskValues(W, H)[3 * W + W - 1], 255u);  // 65535 less 65280
    EXPECT_EQ(maskValues(W, H)[4 * W], 65535u);
}

TEST_F(FillToolTest, EllipseIsSmoothSymmetricAndAtLeastTwoAcross) {
    DRO_IPLEllipse(0, 0, 255, 5, 5, 35, 25, 100);  // rx 14, ry 10, centre (19, 15)
    const auto out = layer32();
    EXPECT_EQ(at(out, 19, 15)[3], 255);
    EXPECT_EQ(at(out, 19, 15)[2], 255);
    int partial = 0;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const uint8_t a = at(out, x, y)[3];
            if (a > 0 && a < 255) ++partial;
            // Mirror images about the centre agree.
            if (2 * 19 - x >= 0 && 2 * 19 - x < W) ASSERT_EQ(a, at(out, 2 * 19 - x, y)[3]);
            if (2 * 15 - y >= 0 && 2 * 15 - y < H) ASSERT_EQ(a, at(out, x, 2 * 15 - y)[3]);
        }
    }
    EXPECT_GT(partial, 20);  // an antialiased rim
    EXPECT_EQ(at(out, 19, 3)[3], 0);

    // A click without a drag still draws radii of 2 (in the mask too).
    loadLayer(std::vector<uint8_t>(W * H * 4, 0));
    DRO_IPLEllipse(255, 0, 0, 30, 10, 30, 10, 100);
    EXPECT_EQ(at(layer32(), 32, 12)[3], 255);
    DRO_IPLMaskEllipse(10, 10, 10, 10, 100, 0, "Add");
    EXPECT_EQ(maskValues(W, H)[12 * W + 12], 255u);
    EXPECT_EQ(maskValues(W, H)[12 * W + 15], 65535u);
}

TEST_F(FillToolTest, GradientStopsCountsAndDegenerateLines) {
    DRO_SetLayer(1);
    // Four colours: the last stop sits at 99 %, so column 99 of a 0..100 line is pure.
    DRO_NewSize(nullptr, 101, 1, 16, 0);
    DRO_CreateLayer(1, 101, 1);
    DRO_SetLayer(1);
    DRO_IPLGradient(255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30, 4, 0, 0, 100, 0, "Linear");
    std::vector<uint8_t> row(101 * 4);
    DRO_GetRGBA32Layer(row.data(), 101 * 4, 1);
    EXPECT_EQ(row[0], 255);
    EXPECT_EQ(row[33 * 4 + 1], 255);
    EXPECT_EQ(row[66 * 4 + 2], 255);
    EXPECT_EQ(row[99 * 4 + 0], 10);
    EXPECT_EQ(row[100 * 4 + 2], 30);

    // Seven colours are four; a zero-length line gives the first colour, finite.
    DRO_IPLGradient(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 7, 50, 0, 50, 0, "Linear");
    DRO_GetRGBA32Layer(row.data(), 101 * 4, 1);
    EXPECT_EQ(row[100 * 4 + 2], 3);
    DRO_IPLGradient(1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 50, 0, 50, 0, "Radial");
    DRO_GetRGBA32Layer(row.data(), 101 * 4, 1);
    EXPECT_EQ(row[0], 1);

    // A negative count draws nothing but still marks the canvas.
    const auto before = layerPixels(1, 101, 1);
    dro::undoStore().dirtyRect = {0, 0, 0, 0};
    DRO_IPLGradient(200, 200, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, -3, 0, 0, 100, 0, "Linear");
    EXPECT_EQ(layerPixels(1, 101, 1), before);
    EXPECT_EQ(dro::undoStore().dirtyRect, (dro::Rect{0, 0, 100, 0}));
}

TEST_F(FillToolTest, WandSelectsTheRegionOrTheRange) {
    loadLayer(walled());
    DRO_IPLMaskWand(3, 3, 0, 100, "Connected");
    auto mask = maskValues(W, H);
    EXPECT_EQ(mask[3 * W + 3], 0u);   // strength 100: protected set value
    EXPECT_EQ(mask[3 * W + 20], 65535u);
    EXPECT_EQ(mask[3 * W + 30], 65535u);

    DRO_ClearMask(0, 0, 0);
    DRO_IPLMaskWand(3, 3, 0, 0, "Non-connected");
    mask = maskValues(W, H);
    EXPECT_EQ(mask[3 * W + 30], 65280u);
    EXPECT_EQ(mask[3 * W + 20], 65535u);

    DRO_ClearMask(0, 0, 0);
    DRO_IPLMaskWand(3, 3, 50000, 0, "Hue Range");  // 100 %: everything
    for (uint16_t m : maskValues(W, H)) ASSERT_EQ(m, 65280u);

    // Alpha Connected reads the alpha only, and not on the background.
    DRO_ClearMask(0, 0, 0);
    DRO_IPLMaskWand(3, 3, 0, 0, "Alpha Connected");
    for (uint16_t m : maskValues(W, H)) ASSERT_EQ(m, 65280u);  // alpha 255 everywhere
    DRO_SetLayer(1);
    DRO_ClearMask(0, 0, 0);
    DRO_IPLMaskWand(3, 3, 0, 0, "Alpha Connected");
    for (uint16_t m : maskValues(W, H)) ASSERT_EQ(m, 65535u);
}

TEST_F(FillToolTest, ToolsBeforeACanvasDoNothing) {
    dro::resetEngine();
    DRO_IPLFloodFill(1, 1, 1, 0, 0, 0, "Paint Connected");
    DRO_IPLMaskWand(0, 0, 0, 100, "Connected");
    DRO_IPLRectangle(1, 1, 1, 0, 0, 5, 5, 100);
    DRO_IPLEllipse(1, 1, 1, 0, 0, 5, 5, 100);
    DRO_IPLGradient(1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 0, 0, 5, 5, "Linear");
    DRO_IPLMaskRectangle(0, 0, 5, 5, 100, 0, "Add");
    DRO_IPLMaskEllipse(0, 0, 5, 5, 100, 0, "Add");
    SUCCEED();
}

// Every tool marks the whole canvas changed, and its step undoes and redoes to the same
// bits of the layer and the mask.
TEST_F(FillToolTest, EveryToolMarksTheCanvasAndUndoesAndRedoes) {
    struct Tool {
        const char* name;
        void (*use)();
    };
    const Tool tools[] = {
        {"fill", [] { DRO_IPLFloodFill(200, 10, 20, 3, 3, 9000, "Paint Connected"); }},
        {"wand", [] { DRO_IPLMaskWand(3, 3, 9000, 60, "Connected"); }},
        {"rectangle", [] { DRO_IPLRectangle(9, 200, 9, 4, 5, 30, 22, 70); }},
        {"ellipse", [] { DRO_IPLEllipse(9, 9, 200, 4, 5, 30, 22, 70); }},
        {"gradient", [] { DRO_IPLGradient(255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 2, 0, 0, W, H, "Radial"); }},
        {"mask rectangle", [] { DRO_IPLMaskRectangle(4, 5, 30, 22, 60, 0, "Add"); }},
        {"mask ellipse", [] { DRO_IPLMaskEllipse(4, 5, 30, 22, 60, 1, "Subtract"); }},
    };
    std::vector<uint16_t> mask(W * H);
    for (size_t i = 0; i < mask.size(); ++i) mask[i] = static_cast<uint16_t>(i * 2654435761u >> 16);
    for (const Tool& tool : tools) {
        loadLayer(randomRGBA32(W, H, 99));
        setMask(mask);
        DRO_InvalidateDirtyUndoCanvas();
        DRO_SaveUndoBuffer(1, 1);
        const auto layerBefore = layerPixels(2, W, H);
        const auto maskBefore = maskValues(W, H);
        markClean();
        tool.use();
        EXPECT_TRUE(wholeCanvasDirty()) << tool.name;
        const auto layerAfter = layerPixels(2, W, H);
        const auto maskAfter = maskValues(W, H);
        EXPECT_TRUE(layerAfter != layerBefore || maskAfter != maskBefore) << tool.name << " changed nothing";
        DRO_SaveUndoBuffer(1, 1);
        DRO_Undo();
        EXPECT_EQ(layerPixels(2, W, H), layerBefore) << tool.name;
        EXPECT_EQ(maskValues(W, H), maskBefore) << tool.name;
        DRO_Redo();
        EXPECT_EQ(layerPixels(2, W, H), layerAfter) << tool.name;
        EXPECT_EQ(maskValues(W, H), maskAfter) << tool.name;
    }
}
