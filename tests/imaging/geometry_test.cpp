#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "core/canvas.h"
#include "imaging/geometry/canvas_geometry.h"
#include "imaging/geometry/resample_filter_names.h"
#include "support/engine_fixture.h"
#include "undo/undo_store.h"

namespace {

class GeometryTest : public EngineTest {
protected:
    // Slot 1 opaque random, slot 2 translucent random.
    void openPainted(int w, int h) {
        openCanvas(w, h, 2, 2);
        auto bottom = randomRGBA32(w, h, 1);
        for (size_t i = 3; i < bottom.size(); i += 4) bottom[i] = 255;
        DRO_LoadRGBA32Layer(bottom.data(), w * 4, 1, 0, 0, w, h, 0);
        const auto top = randomRGBA32(w, h, 2);
        DRO_LoadRGBA32Layer(top.data(), w * 4, 2, 0, 0, w, h, 0);
    }
    static std::vector<uint8_t> rgba(int layer, int w, int h) {
        std::vector<uint8_t> out(static_cast<size_t>(w) * h * 4);
        DRO_GetRGBA32Layer(out.data(), w * 4, layer);
        return out;
    }
    static void followSize() {
        const auto* slot = dro::slotAt(1);
        DRO_NewSize(nullptr, slot->width, slot->height, 64, 0);
    }
    static dro::Rect dirty() { return dro::undoStore().dirtyRect; }
};

TEST(ResampleFilterNames, SelectByExactNameWithLanczos3ForAnythingElse) {
    EXPECT_EQ(dro::resampleFilterCode("Bilinear"), dro::resampleFilterCode("Nearest Neighbor"));
    EXPECT_EQ(dro::resampleFilterCode("Catrom"), 13);
    EXPECT_EQ(dro::resampleFilterCode("Area Average"), 15);
    EXPECT_EQ(dro::resampleFilterCode("lanczos3"), 8);
    EXPECT_EQ(dro::resampleFilterCode(static_cast<const char*>(nullptr)), 8);
}

TEST_F(GeometryTest, ResizeRecreatesEveryLayerAndLeavesTheCanvasToNewSize) {
    openPainted(9, 7);
    DRO_SetLayerOptions(2, 1, 1, 100, "Normal");  // alpha locked
    const dro::Rect before = dirty();
    DRO_IPLResize(18, 14, "Nearest Neighbor");
    EXPECT_EQ(dro::canvas().width, 9);
    for (int slot : {1, 2}) {
        EXPECT_EQ(dro::slotAt(slot)->width, 18);
        EXPECT_EQ(dro::slotAt(slot)->height, 14);
    }
    EXPECT_EQ(dro::slotAt(2)->alphaLocked, 1);
    EXPECT_EQ(dirty(), before);
    const auto old = randomRGBA32(9, 7, 2);
    followSize();
    const auto now = rgba(2, 18, 14);
    // Alpha came through although the layer is alpha locked.
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 18; ++x)
            ASSERT_EQ(now[(y * 18 + x) * 4 + 3], old[((y / 2) * 9 + x / 2) * 4 + 3]);
}

TEST_F(GeometryTest, ResizePageAnchorsAndPreparesEachLayersPage) {
    EXPECT_EQ(dro::pageAnchorOffset("MC", 100, 50, 151, 50).x, 25);
    EXPECT_EQ(dro::pageAnchorOffset("MC", 100, 50, 99, 50).x, 0);
    EXPECT_EQ(dro::pageAnchorOffset("MC", 100, 50, 98, 50).x, -1);
    EXPECT_EQ(dro::pageAnchorOffset("BR", 10, 10, 14, 13).y, 3);
    EXPECT_EQ(dro::pageAnchorOffset("mc", 10, 10, 14, 14).x, 0);

    openPainted(4, 3);
    const auto bottom = rgba(1, 4, 3);
    const auto top = rgba(2, 4, 3);
    DRO_IPLResizePage(6, 5, "BR", 10, 20, 30);
    followSize();
    const auto newBottom = rgba(1, 6, 5);
    const auto newTop = rgba(2, 6, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const size_t at = (y * 6 + x) * 4;
            if (x >= 2 && y >= 2) {
                const size_t from = ((y - 2) * 4 + x - 2) * 4;
                ASSERT_EQ(0, std::memcmp(&newBottom[at], &bottom[from], 4));
                ASSERT_EQ(0, std::memcmp(&newTop[at], &top[from], 4));
            } else {
                ASSERT_EQ(newBottom[at], 10);
                ASSERT_EQ(newBottom[at + 2], 30);
                ASSERT_EQ(newBottom[at + 3], 255);
                ASSERT_EQ(newTop[at + 3], 0);
            }
        }
}

TEST_F(GeometryTest, CropIsRightAndBottomExclusiveWithCornersInAnyOrder) {
    openPainted(120, 230);
    const auto before = rgba(2, 120, 230);
    DRO_IPLCrop(110, 220, 10, 20);
    EXPECT_EQ(dro::slotAt(1)->width, 100);
    EXPECT_EQ(dro::slotAt(1)->height, 200);
    EXPECT_EQ(dirty(), (dro::Rect{0, 0, 119, 229}));
    followSize();
    const auto after = rgba(2, 100, 200);
    EXPECT_EQ(0, std::memcmp(&after[0], &before[(20 * 120 + 10) * 4], 4));
    EXPECT_EQ(0, std::memcmp(&after[(199 * 100 + 99) * 4], &before[(219 * 120 + 109) * 4], 4));

    // Clipped to the canvas; an empty rectangle is refused with the text.
    DRO_IPLCrop(-5, -5, 50, 500);
    EXPECT_EQ(dro::slotAt(2)->width, 50);
    EXPECT_EQ(dro::slotAt(2)->height, 200);
    followSize();
    DRO_IPLCrop(7, 3, 7, 9);
    EXPECT_EQ(dro::slotAt(2)->width, 50);
    EXPECT_STREQ(DRO_GetLastError(), "IPLCrop Excpt");
}

TEST_F(GeometryTest, QuarterTurnsAndFlipsUndoThemselves) {
    openPainted(7, 4);
    const auto start = rgba(2, 7, 4);
    DRO_IPLRotateRight();
    followSize();
    // A clockwise turn takes the top-left pixel to the top-right corner.
    EXPECT_EQ(0, std::memcmp(&rgba(2, 4, 7)[3 * 4], &start[0], 4));
    DRO_IPLRotateLeft();
    followSize();
    EXPECT_EQ(rgba(2, 7, 4), start);
    DRO_IPLFlipHorizontal();
    EXPECT_EQ(0, std::memcmp(&rgba(2, 7, 4)[6 * 4], &start[0], 4));
    DRO_IPLFlipHorizontal();
    DRO_IPLFlipVertical();
    EXPECT_EQ(0, std::memcmp(&rgba(2, 7, 4)[3 * 7 * 4], &start[0], 4));
    DRO_IPLFlipVertical();
    EXPECT_EQ(rgba(2, 7, 4), start);
    EXPECT_EQ(dirty(), (dro::Rect{0, 0, 6, 3}));
}

TEST_F(GeometryTest, FlipUnderAlphaLockMirrorsColourButNotAlpha) {
    openPainted(5, 3);
    DRO_SetLayerOptions(2, 1, 1, 100, "Normal");
    const auto start = rgba(2, 5, 3);
    DRO_IPLFlipHorizontal();
    const auto after = rgba(2, 5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const size_t at = (y * 5 + x) * 4, mirror = (y * 5 + 4 - x) * 4;
            EXPECT_EQ(after[at + 3], start[at + 3]);
            // Colour under zero alpha is not kept by the load; elsewhere it is mirrored.
            if (start[mirror + 3] != 0 && after[at + 3] != 0) {
                EXPECT_EQ(after[at], start[mirror]);
            }
        }
}

TEST_F(GeometryTest, PanReplacesTheLayerWithTheMovedCopyForEachEdgeMode) {
    openPainted(6, 4);
    DRO_IPLAllocSrcBuffer32();
    DRO_IPLAllocDstBuffer32();
    const auto start = rgba(2, 6, 4);
    auto moved = [&](int x, int y) {
        const auto layer = rgba(2, 6, 4);
        return std::vector<uint8_t>(layer.begin() + (y * 6 + x) * 4, layer.begin() + (y * 6 + x) * 4 + 4);
    };

    DRO_IPLPan(2, 1, 0, 9, 9, 9, 255, 0);
    auto now = rgba(2, 6, 4);
    // Uncovered pixels become clear; covered ones are the copy, not the copy over the old.
    EXPECT_EQ(now[3], 0);
    EXPECT_EQ(0, std::memcmp(&now[(1 * 6 + 2) * 4], &start[0], 4));

    DRO_IPLPan(2, 1, 1, 9, 9, 9, 255, 0);  // wrap: nothing lost
    now = rgba(2, 6, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            if (start[(y * 6 + x) * 4 + 3] != 0) {
                ASSERT_EQ(0, std::memcmp(&now[(((y + 1) % 4) * 6 + (x + 2) % 6) * 4], &start[(y * 6 + x) * 4], 4));
            }

    DRO_IPLPan(-1, 0, 2, 9, 8, 7, 255, 0);  // background colour
    EXPECT_EQ(moved(5, 0)[1], 8);
    EXPECT_EQ(moved(5, 0)[3], 255);

    DRO_IPLPan(6, 0, 0, 9, 9, 9, 255, 0);  // moved off the layer entirely
    for (size_t i = 3; i < start.size(); i += 4) ASSERT_EQ(rgba(2, 6, 4)[i], 0);
}

TEST_F(GeometryTest, SeamCarvingKeepsAMaskedObjectWhileNarrowingByAThird) {
    const int w = 60, h = 20;
    openCanvas(w, h, 1, 1);
    // Noise everywhere so seams have no cheap path, a protected object in it.
    auto image = randomRGBA32(w, h, 7);
    for (size_t i = 3; i < image.size(); i += 4) image[i] = 255;
    std::vector<uint16_t> mask(static_cast<size_t>(w) * h, 65535);
    for (int y = 4; y < 16; ++y)
        for (int x = 20; x < 35; ++x) {
            uint8_t* p = &image[(y * w + x) * 4];
            p[0] = static_cast<uint8_t>(x * 10), p[1] = static_cast<uint8_t>(y * 10), p[2] = 0;
            mask[y * w + x] = 0;
        }
    DRO_LoadRGBA32Layer(image.data(), w * 4, 1, 0, 0, w, h, 0);
    DRO_SetMaskData16(mask.data());
    DRO_EnableMask(1);
    DRO_IPLSeamCarvingRGBA(40, h, 0);
    ASSERT_EQ(dro::slotAt(1)->width, 40);
    followSize();
    const auto out = rgba(1, 40, h);
    // The object survives whole: find its top-left pixel and compare every pixel.
    int found = -1;
    for (int x = 0; x < 40 && found < 0; ++x)
        if (out[(4 * 40 + x) * 4] == 200 && out[(4 * 40 + x) * 4 + 1] == 40 && out[(4 * 40 + x) * 4 + 2] == 0) found = x;
    ASSERT_GE(found, 0);
    for (int y = 4; y < 16; ++y)
        for (int x = 20; x < 35; ++x)
            ASSERT_EQ(0, std::memcmp(&out[(y * 40 + found + x - 20) * 4], &image[(y * w + x) * 4], 4)) << x << "," << y;
}

TEST_F(GeometryTest, SeamCarvingToAnotherHeightFillsExactlyTheNewSize) {
    for (auto [nw, nh] : {std::pair{10, 6}, std::pair{19, 13}, std::pair{30, 3}}) {
        openPainted(12, 9);
        DRO_IPLSeamCarvingRGBA(nw, nh, 0);
        ASSERT_EQ(dro::slotAt(2)->width, nw);
        ASSERT_EQ(dro::slotAt(2)->height, nh);
        followSize();
        // Widening only doubles seams of the opaque bottom layer: no row left clear.
        const auto out = rgba(1, nw, nh);
        for (size_t i = 3; i < out.size(); i += 4) ASSERT_EQ(out[i], 255) << nw << "x" << nh;
        dro::resetEngine();
    }
}

// The geometry commands change the layers now and the canvas on the host's next
// DRO_NewSize; whatever the host calls in between must stay inside each plane.
TEST_F(GeometryTest, ExportsBetweenAGeometryCommandAndNewSizeStayInsideThePlanes) {
    const std::vector<std::function<void()>> commands = {
        [] { DRO_IPLResize(7, 30, "Lanczos3"); }, [] { DRO_IPLResize(40, 5, "Box"); },
        [] { DRO_IPLCrop(1, 1, 5, 4); },         [] { DRO_IPLRotateLeft(); },
        [] { DRO_IPLResizePage(33, 2, "MC", 1, 2, 3); }, [] { DRO_IPLSeamCarvingRGBA(12, 20, 0); },
    };
    for (const auto& command : commands) {
        openPainted(16, 11);
        DRO_SetUndoLevels(5);
        DRO_SetUndoMB(64);
        DRO_SetViewSize(16, 11);
        DRO_IPLAllocSrcBuffer32();
        DRO_IPLAllocDstBuffer32();
        command();
        std::vector<uint8_t> block(16 * 11 * 4, 77);
        std::vector<uint16_t> wide(16 * 11 * 4);
        std::vector<uint8_t> render(16 * 11 * 3);
        DRO_SetLayer(2);
        DRO_LoadRGBA32(block.data(), 16 * 4, 1);
        DRO_LoadRGB24(block.data(), 16 * 3, 0);
        DRO_GetRGBA32Layer(block.data(), 16 * 4, 2);
        DRO_GetRGBA64Layer(wide.data(), 16 * 8, 1);
        DRO_Clear(1, 2, 3, 255);
        DRO_ClearMasked(1, 2, 3, 255);
        DRO_InvertAlpha(2);
        DRO_CreateMaskFromAlpha();
        DRO_CreateAlphaFromMask(0);
        DRO_Render(render.data(), 16 * 3, 0, 0, 16, 11);
        DRO_SaveUndoBuffer(1, 1);
        DRO_Undo();
        DRO_IPLUpdateSrcBuffer32();
        DRO_IPLFlipHorizontal();
        DRO_IPLFlipVertical();
        DRO_IPLPan(3, 2, 1, 0, 0, 0, 0, 1);
        DRO_IPLRotateRight();
        DRO_IPLResize(9, 9, "Mitchell");
        followSize();
        DRO_SetLayer(2);
        DRO_Render(render.data(), 16 * 3, 0, 0, 9, 9);
        EXPECT_EQ(dro::canvas().width, 9);
        dro::resetEngine();
    }
}

TEST_F(GeometryTest, BlurMoreBufferKeepsFlatBlocksAndIgnoresNull) {
    DRO_BlurMoreBufferRGB24(nullptr, 4, 4, 10, 100);
    std::vector<uint8_t> flat(13 * 7 * 3);
    for (size_t i = 0; i < flat.size(); ++i) flat[i] = static_cast<uint8_t>(40 + i % 3 * 50);
    auto block = flat;
    DRO_BlurMoreBufferRGB24(block.data(), 13, 7, 25, 100);
    EXPECT_EQ(block, flat);
    // A single bright pixel spreads at full strength and stays put at zero strength.
    std::vector<uint8_t> dot(9 * 9 * 3, 0);
    dot[(4 * 9 + 4) * 3] = 255;
    auto soft = dot;
    DRO_BlurMoreBufferRGB24(soft.data(), 9, 9, 10, 0);
    EXPECT_EQ(soft, dot);
    DRO_BlurMoreBufferRGB24(soft.data(), 9, 9, 10, 100);
    EXPECT_LT(soft[(4 * 9 + 4) * 3], 255);
    EXPECT_GT(soft[(4 * 9 + 5) * 3], 0);
}

}  // namespace
