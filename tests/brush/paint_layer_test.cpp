// The paint layer, the texture map with its "Texturize3" bookkeeping, the alpha
// softening, the alpha-comp unpremultiply and the fade of the last stroke.
#include <algorithm>
#include <cstring>
#include <string>

#include "brush/paint_layer.h"
#include "core/texture_map.h"
#include "brush/tool_settings.h"
#include "core/canvas.h"
#include "support/engine_fixture.h"

namespace {

constexpr int W = 24;
constexpr int H = 16;

using Plane = std::vector<uint16_t>;

Plane solid(uint16_t r, uint16_t g, uint16_t b, uint16_t a) {
    Plane p(static_cast<size_t>(W) * H * 4);
    for (size_t i = 0; i < p.size(); i += 4) {
        p[i] = r;
        p[i + 1] = g;
        p[i + 2] = b;
        p[i + 3] = a;
    }
    return p;
}

Plane paintPixels() {
    const dro::LayerSlot& paint = dro::paintLayer().layer;
    return Plane(paint.pixels.get(), paint.pixels.get() + static_cast<size_t>(paint.width) * paint.height * 4);
}

void setPaintPixels(const Plane& p) {
    std::memcpy(dro::paintLayer().layer.pixels.get(), p.data(), p.size() * 2);
}

dro::Rect extents() { return dro::paintLayer().layer.extents; }

}  // namespace

class PaintLayerTest : public EngineTest {};

TEST_F(PaintLayerTest, CreateMakesAClearedCanvasSizedLayerAndSetsItsOptions) {
    openCanvas(W, H);
    EXPECT_EQ(DRO_CreatePaintLayer(50, 100, "Multiply"), 1);
    const dro::PaintLayer& p = dro::paintLayer();
    ASSERT_FALSE(p.layer.empty());
    EXPECT_EQ(p.layer.width, W);
    EXPECT_EQ(p.layer.height, H);
    EXPECT_EQ(p.layer.opacity, 128);       // trunc(50 * 2.56)
    EXPECT_EQ(p.secondOpacity, 255);       // trunc(100 * 2.559)
    EXPECT_EQ(p.layer.visible, 1);
    EXPECT_EQ(p.layer.alphaLocked, 0);
    EXPECT_STREQ(p.modeName, "Multiply");
    EXPECT_EQ(extents(), (dro::Rect{W, H, 0, 0}));
    const Plane pixels = paintPixels();
    EXPECT_TRUE(std::all_of(pixels.begin(), pixels.end(), [](uint16_t v) { return v == 0; }));
}

TEST_F(PaintLayerTest, CreatingAgainKeepsThePixelsAndChangesOnlyTheOptions) {
    openCanvas(W, H);
    DRO_CreatePaintLayer(100, 100, "Normal");
    const Plane stroke = solid(0x1200, 0x3400, 0x5600, 0x7800);
    setPaintPixels(stroke);
    DRO_SetPaintLayerExtents(1, 2, 3, 4);
    EXPECT_EQ(DRO_CreatePaintLayer(10, 20, "Screen"), 2);
    EXPECT_EQ(paintPixels(), stroke);
    EXPECT_EQ(extents(), (dro::Rect{1, 2, 3, 4}));
    EXPECT_EQ(dro::paintLayer().layer.opacity, 25);
    EXPECT_EQ(dro::paintLayer().secondOpacity, 51);
    // A name of 50 characters or more is not stored; unknown or missing names mean Normal.
    const std::string longName(50, 'x');
    EXPECT_EQ(DRO_CreatePaintLayer(100, 100, longName.c_str()), 0);
    EXPECT_STREQ(dro::paintLayer().modeName, "Screen");
    EXPECT_EQ(DRO_CreatePaintLayer(100, 100, nullptr), 0);
    EXPECT_EQ(DRO_CreatePaintLayer(100, 100, "multiply"), 0);
}

TEST_F(PaintLayerTest, FailedAllocationLeavesNoPaintLayer) {
    openCanvas(W, H);
    dro::testhooks::failAllAllocations(true);
    EXPECT_EQ(DRO_CreatePaintLayer(100, 100, "Screen"), 2);
    dro::testhooks::failAllAllocations(false);
    EXPECT_TRUE(dro::paintLayer().layer.empty());
    DRO_MergePaintLayer(1);
    DRO_BlurPaintLayerAlpha();
    DRO_ClearPaintLayer_old();
}

TEST_F(PaintLayerTest, ClearsEmptyTheExtents) {
    openCanvas(W, H);
    DRO_CreatePaintLayer(100, 100, "Normal");
    setPaintPixels(solid(1, 2, 3, 4));
    DRO_SetPaintLayerExtents(2, 3, 6, 5);
    DRO_ClearPaintLayer_old();
    // White everywhere except the old extents (right and bottom exclusive).
    const Plane p = paintPixels();
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const bool inside = x >= 2 && x < 6 && y >= 3 && y < 5;
            for (int c = 0; c < 4; ++c) {
                ASSERT_EQ(p[(static_cast<size_t>(y) * W + x) * 4 + c], inside ? 0 : 0xFFFF) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(extents(), (dro::Rect{W, H, 0, 0}));
    DRO_SetPaintLayerExtents(-100, -100, 100000, 100000);  // the host's numbers are clipped
    DRO_ClearPaintLayer_old();
    DRO_SetPaintLayerExtents(1, 1, 2, 2);
    DRO_ClearPaintLayer();
    const Plane cleared = paintPixels();
    EXPECT_TRUE(std::all_of(cleared.begin(), cleared.end(), [](uint16_t v) { return v == 0; }));
    EXPECT_EQ(extents(), (dro::Rect{W, H, 0, 0}));
}

TEST_F(PaintLayerTest, MergeLaysTheExtentsIntoTheLayerAndClears) {
    openCanvas(W, H, 2, 2);
    const Plane under = solid(0x8000, 0x4000, 0x2000, 0x9000);
    DRO_SetLayerData(under.data(), 2);
    DRO_CreatePaintLayer(60, 80, "Multiply");
    const Plane stroke = solid(0x3000, 0xF000, 0x7000, 0xC000);
    setPaintPixels(stroke);
    DRO_SetPaintLayerExtents(3, 2, 10, 7);
    DRO_MergePaintLayer(2);

    // Reference: the per-pixel rule with the second opacity applied to the alpha first.
    uint32_t r = 0x8000, g = 0x4000, b = 0x2000, a = 0x9000;
    const uint32_t sa = ((204u + 1) * 0xC000u) >> 8;  // second opacity trunc(80 * 2.559) = 204
    DRO_MergePixel(&r, &g, &b, &a, 0x3000, 0xF000, 0x7000, sa, 1, 153, 0);  // opacity trunc(60 * 2.56)
    const Plane after = layerPixels(2, W, H);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const uint16_t* p = &after[(static_cast<size_t>(y) * W + x) * 4];
            if (x >= 3 && x < 10 && y >= 2 && y < 7) {
                ASSERT_EQ(p[0], r);
                ASSERT_EQ(p[1], g);
                ASSERT_EQ(p[2], b);
                ASSERT_EQ(p[3], a);
            } else {
                ASSERT_EQ(0, std::memcmp(p, &under[(static_cast<size_t>(y) * W + x) * 4], 8)) << x << "," << y;
            }
        }
    }
    const Plane cleared = paintPixels();
    EXPECT_TRUE(std::all_of(cleared.begin(), cleared.end(), [](uint16_t v) { return v == 0; }));
    EXPECT_EQ(extents(), (dro::Rect{W, H, 0, 0}));
}

TEST_F(PaintLayerTest, MergeHonoursTheAlphaLocks) {
    openCanvas(W, H, 2, 2);
    DRO_CreatePaintLayer(100, 100, "Normal");
    setPaintPixels(solid(0xFF00, 0, 0, 0xFFFF));
    DRO_SetPaintLayerExtents(0, 0, W, H);
    dro::toolSettings().toolAlphaLocked = 1;
    DRO_MergePaintLayer(2);
    const Plane p = layerPixels(2, W, H);
    EXPECT_EQ(p[0], 0xFF00);  // colour written
    EXPECT_EQ(p[3], 0);       // alpha kept
}

TEST_F(PaintLayerTest, MergeClipsExtentsAndKeepsTheStrokeWithoutATarget) {
    openCanvas(W, H, 2, 2);
    DRO_CreatePaintLayer(100, 100, "Normal");
    const Plane stroke = solid(0xFF00, 0, 0, 0xFFFF);
    setPaintPixels(stroke);
    // Extents far outside the canvas merge the whole canvas, nothing beyond.
    DRO_SetPaintLayerExtents(-50, -50, 5000, 5000);
    DRO_MergePaintLayer(7);  // no such layer: nothing happens, the stroke stays
    DRO_MergePaintLayer(-1);
    DRO_MergePaintLayer(100000);
    EXPECT_EQ(paintPixels(), stroke);
    DRO_MergePaintLayer(2);
    EXPECT_EQ(layerPixels(2, W, H), stroke);
    // Empty extents merge nothing and still clear.
    setPaintPixels(solid(0, 0xFF00, 0, 0xFFFF));
    DRO_SetPaintLayerExtents(5, 5, 5, 9);
    DRO_MergePaintLayer(2);
    EXPECT_EQ(layerPixels(2, W, H), stroke);
    EXPECT_EQ(paintPixels()[1], 0);
}

TEST_F(PaintLayerTest, SwapExchangesRecordsWithALayerSlot) {
    openCanvas(W, H, 2, 2);
    const Plane layer = solid(1, 2, 3, 4);
    DRO_SetLayerData(layer.data(), 2);
    DRO_CreatePaintLayer(100, 100, "Normal");
    const Plane stroke = solid(5, 6, 7, 8);
    setPaintPixels(stroke);
    DRO_SwapPaintLayer(2);
    EXPECT_EQ(paintPixels(), layer);
    EXPECT_EQ(layerPixels(2, W, H), stroke);
    DRO_SwapPaintLayer(5);  // an empty slot: the paint layer goes, the slot holds it
    EXPECT_TRUE(dro::paintLayer().layer.empty());
    EXPECT_EQ(layerPixels(5, W, H), layer);
    DRO_SwapPaintLayer(-3);
    DRO_SwapPaintLayer(272);
    DRO_DeletePaintLayer();
    EXPECT_TRUE(dro::paintLayer().layer.empty());
}

TEST_F(PaintLayerTest, BlurSoftensAlphaEdgesOnly) {
    openCanvas(W, H);
    DRO_CreatePaintLayer(100, 100, "Normal");
    // Solid block on the left half, a faint block on the right, colours everywhere.
    Plane p = solid(0x1111, 0x2222, 0x3333, 0);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            uint16_t& a = p[(static_cast<size_t>(y) * W + x) * 4 + 3];
            a = x < 8 ? 0xF500 : (x >= 16 ? 0x6000 : 0);
        }
    }
    setPaintPixels(p);
    DRO_BlurPaintLayerAlpha();
    const Plane q = paintPixels();
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const uint16_t* v = &q[(static_cast<size_t>(y) * W + x) * 4];
            ASSERT_EQ(v[0], 0x1111);  // colours untouched
            ASSERT_EQ(v[2], 0x3333);
            if (x < 8) ASSERT_EQ(v[3], 0xFFFF) << "alpha bytes of 240 and above become opaque";
            ASSERT_EQ(v[3] & 0xFF, x < 8 ? 0xFF : 0);
        }
    }
    const auto alphaAt = [&](int x) { return q[(static_cast<size_t>(8) * W + x) * 4 + 3] >> 8; };
    EXPECT_EQ(alphaAt(20), 0x60);          // flat inside
    EXPECT_EQ(alphaAt(12), 0);             // far from both blocks
    EXPECT_GT(alphaAt(8), 0);              // next to the solid block: softened
    EXPECT_GT(alphaAt(15), 0);
    EXPECT_LT(alphaAt(15), 0x60);
    EXPECT_LT(alphaAt(16), 0x60);
}

TEST_F(PaintLayerTest, BlurFailureRecordsItsText) {
    openCanvas(W, H);
    DRO_CreatePaintLayer(100, 100, "Normal");
    const Plane stroke = solid(0, 0, 0, 0x8000);
    setPaintPixels(stroke);
    dro::testhooks::failAllAllocations(true);
    DRO_BlurPaintLayerAlpha();
    dro::testhooks::failAllAllocations(false);
    EXPECT_STREQ(DRO_GetLastError(), "BlurPaintLayerAlpha Excpt");
    EXPECT_EQ(paintPixels(), stroke);
}

class TextureTest : public EngineTest {};

TEST_F(TextureTest, WhiteGivesTheWeakestAndBlackTheStrongestTexture) {
    openCanvas(W, H, 3, 1);
    DRO_SetLayerData(solid(0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF).data(), 2);
    DRO_SetLayerData(solid(0, 0, 0, 0xFFFF).data(), 3);
    DRO_CreateTexture(2);
    ASSERT_NE(dro::activeTexture(), nullptr);
    EXPECT_EQ(dro::activeTexture()[0], 250);
    EXPECT_EQ(dro::activeTexture()[W * H - 1], 250);
    DRO_CreateTexture(3);
    EXPECT_EQ(dro::activeTexture()[0], 4);
    DRO_SetLayerData(solid(0x8000, 0x4000, 0x1000, 0).data(), 3);
    DRO_CreateTexture(3);
    EXPECT_EQ(dro::activeTexture()[5], (0x8000 + 0x4000 + 0x1000) / 768);
    DRO_DeleteTexture();
    EXPECT_EQ(dro::activeTexture(), nullptr);
    DRO_CreateTexture(9);  // empty slot: nothing
    DRO_CreateTexture(-1);
    EXPECT_EQ(dro::activeTexture(), nullptr);
}

TEST_F(TextureTest, FailedAllocationRecordsItsTextAndChangesNothing) {
    openCanvas(W, H, 2, 1);
    dro::testhooks::failAllAllocations(true);
    DRO_CreateTexture(2);
    dro::testhooks::failAllAllocations(false);
    EXPECT_STREQ(DRO_GetLastError(), "CreateTexture Excpt");
    EXPECT_EQ(dro::activeTexture(), nullptr);
}

// The texture follows the visible "Texturize3" layer while it is not current.
TEST_F(TextureTest, FollowsTheTexturize3Layer) {
    openCanvas(W, H, 2, 1);
    DRO_SetLayerData(solid(0, 0, 0, 0xFFFF).data(), 2);
    DRO_SetLayerOptions(2, 1, 0, 100, "Texturize3");
    ASSERT_NE(dro::activeTexture(), nullptr);
    EXPECT_EQ(dro::activeTexture()[0], 4);
    DRO_SetLayer(2);  // painting on the texture layer itself: no texture
    EXPECT_EQ(dro::activeTexture(), nullptr);
    DRO_SetLayer(1);  // leaving it rebuilds it
    ASSERT_NE(dro::activeTexture(), nullptr);
    DRO_SetLayerOptions(2, 1, 0, 100, "Normal");  // any change of options frees it first
    EXPECT_EQ(dro::activeTexture(), nullptr);
    DRO_SetLayerOptions(2, 0, 0, 100, "Texturize3");  // hidden: no texture
    EXPECT_EQ(dro::activeTexture(), nullptr);
}

TEST_F(TextureTest, AlphaCompUnpremultipliesTheCanvasBlock) {
    openCanvas(4, 1);
    uint8_t block[16] = {100, 50, 0, 200, 10, 20, 30, 0, 255, 255, 255, 128, 1, 2, 3, 255};
    DRO_AdjustRGBA32ForAlphaComp(0, block);
    EXPECT_EQ(block[0], 100);
    DRO_AdjustRGBA32ForAlphaComp(1, block);
    const uint8_t expected[16] = {127, 63, 0, 200, 10, 20, 30, 0, 255, 255, 255, 128, 1, 2, 3, 255};
    EXPECT_EQ(0, std::memcmp(block, expected, 16));
    DRO_AdjustRGBA32ForAlphaComp(1, nullptr);
}

class FadeTest : public EngineTest {};

TEST_F(FadeTest, ExchangesThePixelsOfTheStepTheNextUndoTakesBack) {
    openCanvas(W, H, 2, 2);
    DRO_SetUndoLevels(10);
    DRO_SetUndoMB(64);
    DRO_SetLayer(2);
    const Plane original = layerPixels(2, W, H);
    DRO_SetLayerData(solid(0xFF00, 0, 0, 0xFFFF).data(), 2);
    DRO_SaveUndoBuffer(1, 0);
    const Plane first = layerPixels(2, W, H);
    DRO_SetLayerData(solid(0, 0xFF00, 0, 0xFFFF).data(), 2);
    DRO_SaveUndoBuffer(1, 0);

    DRO_StartFade();  // nothing undone yet: nothing happens
    EXPECT_EQ(DRO_GetRedoCount(), 0);
    EXPECT_NE(layerPixels(2, W, H), first);

    DRO_Undo();
    EXPECT_EQ(layerPixels(2, W, H), first);
    DRO_StartFade();  // exchanges the first step: the layer goes back to the original
    EXPECT_EQ(layerPixels(2, W, H), original);
    EXPECT_EQ(DRO_GetRedoCount(), 1);
    DRO_UpdateFade(50);
    DRO_EndFade();
    EXPECT_EQ(layerPixels(2, W, H), original);
}

TEST_F(FadeTest, SelectsTheLayerOfTheStep) {
    openCanvas(W, H, 2, 2);
    DRO_SetUndoLevels(10);
    DRO_SetUndoMB(64);
    const Plane original = layerPixels(2, W, H);
    DRO_SetLayerData(solid(0xFF00, 0, 0, 0xFFFF).data(), 2);
    DRO_SaveUndoBuffer(1, 0);
    DRO_SetLayer(1);
    DRO_SetLayerData(solid(0, 0, 0xFF00, 0xFFFF).data(), 1);
    DRO_SaveUndoBuffer(1, 0);
    DRO_Undo();
    EXPECT_EQ(dro::canvas().currentLayer, 1);
    DRO_StartFade();
    EXPECT_EQ(dro::canvas().currentLayer, 2);
    EXPECT_EQ(layerPixels(2, W, H), original);
}
