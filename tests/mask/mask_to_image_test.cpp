#include "mask/mask_fixture.h"
#include "undo/undo_store.h"

using MaskToImageTest = MaskFixture;

TEST_F(MaskToImageTest, AlphaRectangleIsCutToTheCanvasButKeepsItsOrigin) {
    openCanvas(3, 2);
    // Untouched from 0xFF00 up, cleared below 0x0100, else scaled by the high byte + 1.
    setMask({0x00FF, 0x8000, 0xFF00, 0x4000, 0, 0xFFFF});
    // The rectangle (-2, -1)..(4, 2) reaches past every edge; the block holds all of it.
    constexpr int w = 7, h = 4, stride = w * 4 + 8;
    std::vector<uint8_t> block(stride * h, 255);
    DRO_ApplyMaskToAlphaRect_RGBA32(block.data(), stride, -2, -1, 4, 2);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int cx = x - 2, cy = y - 1;
            const bool onCanvas = cx >= 0 && cx < 3 && cy >= 0 && cy < 2;
            const int expected = onCanvas ? std::array{0, 128, 255, 64, 0, 255}[cy * 3 + cx] : 255;
            EXPECT_EQ(block[y * stride + x * 4 + 3], expected) << x << "," << y;
        }
    }
}

TEST_F(MaskToImageTest, MaskIntoTheCurrentLayer) {
    openCanvas(3, 1, 2, 2);
    const auto img = rgba32({{9, 9, 9, 0}, {9, 9, 9, 128}, {9, 9, 9, 255}});
    DRO_LoadRGBA32(img.data(), 12, 0);  // alphas 0, 32768, 65280
    setMask({40000, 40000, 100});
    const auto alphas = [] {
        const auto px = layerPixels(2, 3, 1);
        return std::vector<uint16_t>{px[3], px[7], px[11]};
    };
    DRO_CreateAlphaFromMask(1);
    EXPECT_EQ(alphas(), (std::vector<uint16_t>{40000, 65535, 65380}));
    DRO_CreateAlphaFromMask(2);
    EXPECT_EQ(alphas(), (std::vector<uint16_t>{0, 25535, 65280}));

    // The picture: inverted, white capped at the widened 255, opaque.
    setMask({65535, 255, 254});
    DRO_CreateImageFromMask();
    EXPECT_EQ(layerPixels(2, 3, 1),
              (std::vector<uint16_t>{0, 0, 0, 65535, 65280, 65280, 65280, 65535, 65280, 65280, 65280, 65535}));
}

TEST_F(MaskToImageTest, FloodMapColouringPaintsTheRegionAndDirtiesTheCanvas) {
    openCanvas(5, 3);
    dro::setDirtyRectEmpty();
    std::vector<uint8_t> out(5 * 3 * 4, 9), map(15, 0);
    map[7] = 1;
    map[8] = 3;
    DRO_ColorRGBA32FromFloodMask(out.data(), map.data(), 0x110, 0x220, 0x330, 0x440);
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + 28, out.begin() + 32), (std::vector<uint8_t>{16, 32, 48, 64}));
    EXPECT_EQ(std::count(out.begin(), out.end(), 9), 15 * 4 - 4);
    EXPECT_EQ(dro::undoStore().dirtyRect, (dro::Rect{0, 0, 4, 2}));
}
