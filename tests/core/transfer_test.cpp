#include <array>
#include <cstring>

#include "core/texture_map.h"
#include "core/canvas.h"
#include "core/transfer_load.h"
#include "core/mask_state.h"
#include "support/engine_fixture.h"

namespace {

std::array<uint16_t, 4> pixelAt(const std::vector<uint16_t>& plane, int w, int x, int y) {
    const size_t i = (static_cast<size_t>(y) * w + x) * 4;
    return {plane[i], plane[i + 1], plane[i + 2], plane[i + 3]};
}

void setPixel(int layer, int w, int x, int y, std::array<uint16_t, 4> v) {
    std::memcpy(&dro::canvas().layerSlots[layer].pixels[(static_cast<size_t>(y) * w + x) * 4], v.data(), 8);
}

}  // namespace

using TransferTest = EngineTest;

TEST_F(TransferTest, EightBitValuesWidenByShiftAndNarrowToTheHighByte) {
    openCanvas(1, 1, 2, 2);
    const uint8_t px[] = {255, 128, 0, 255};
    DRO_LoadRGBA32Layer(px, 4, 2, 0, 0, 1, 1, 0);
    EXPECT_EQ(pixelAt(layerPixels(2, 1, 1), 1, 0, 0), (std::array<uint16_t, 4>{65280, 32768, 0, 65280}));
    uint8_t out[4] = {};
    DRO_GetRGBA32Layer(out, 4, 2);
    EXPECT_EQ(std::memcmp(out, px, 4), 0);
    EXPECT_EQ(DRO_GetRed64(0, 0), 65280);
    EXPECT_EQ(DRO_GetGreen64(0, 0), 32768);
    EXPECT_EQ(DRO_GetBlue64(0, 0), 0);
    EXPECT_EQ(DRO_GetAlpha64(0, 0), 65280);
    EXPECT_EQ(DRO_GetAlpha64(1, 0), 0);
    EXPECT_EQ(DRO_GetAlpha64(0, -1), 0);
}

TEST_F(TransferTest, TransparentSourceClearsUnlessAlphaIsLocked) {
    openCanvas(1, 1, 2, 2);
    setPixel(2, 1, 0, 0, {1000, 2000, 3000, 4000});
    const uint8_t clear[] = {10, 20, 30, 0};
    DRO_LoadRGBA32Layer(clear, 4, 2, 0, 0, 1, 1, 0);
    EXPECT_EQ(pixelAt(layerPixels(2, 1, 1), 1, 0, 0), (std::array<uint16_t, 4>{0, 0, 0, 0}));

    setPixel(2, 1, 0, 0, {1000, 2000, 3000, 4000});
    DRO_SetLayerOptions(2, 1, 1, 100, "Normal");
    DRO_LoadRGBA32Layer(clear, 4, 2, 0, 0, 1, 1, 0);
    EXPECT_EQ(pixelAt(layerPixels(2, 1, 1), 1, 0, 0), (std::array<uint16_t, 4>{2560, 5120, 7680, 4000}));
}

TEST_F(TransferTest, LoadsAreClippedToTheLayer) {
    openCanvas(20, 20, 2, 2);
    const auto block = randomRGBA32(20, 20, 5);
    std::vector<uint8_t> opaque = block;
    for (size_t i = 3; i < opaque.size(); i += 4) opaque[i] = 255;
    DRO_LoadRGBA32Layer(opaque.data(), 80, 2, -5, -5, 20, 20, 0);
    const auto plane = layerPixels(2, 20, 20);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            const auto p = pixelAt(plane, 20, x, y);
            if (x < 15 && y < 15) {
                const uint8_t* s = &opaque[((y + 5) * 20 + (x + 5)) * 4];
                ASSERT_EQ(p[0], s[0] << 8) << x << "," << y;
                ASSERT_EQ(p[3], 65280);
            } else {
                ASSERT_EQ(p[3], 0) << x << "," << y;
            }
        }
    }
    // Entirely off the layer, or far out with huge sizes: nothing happens.
    DRO_LoadRGBA32Layer(opaque.data(), 80, 2, 20, 0, 20, 20, 0);
    DRO_LoadRGBA32Layer(opaque.data(), 80, 2, 2147483600, 2147483600, 1000, 1000, 1);
    EXPECT_EQ(layerPixels(2, 20, 20), plane);
}

TEST_F(TransferTest, MaskedLoadBlendsByMaskCoverage) {
    openCanvas(2, 1, 1, 1);
    std::vector<uint16_t> mask = {0x8000, 0};
    DRO_SetMaskData16(mask.data());
    setPixel(1, 2, 0, 0, {0, 0x4000, 0, 65535});
    const uint8_t px[] = {255, 128, 255, 255, 9, 9, 9, 9};
    DRO_LoadRGBA32Layer(px, 8, 1, 0, 0, 2, 1, 1);
    // Coverage (129 * 65535) >> 8 = 33023.
    const auto plane = layerPixels(1, 2, 1);
    EXPECT_EQ(pixelAt(plane, 2, 0, 0), (std::array<uint16_t, 4>{32894, 24639, 32894, 65405}));
    EXPECT_EQ(pixelAt(plane, 2, 1, 0), (std::array<uint16_t, 4>{65535, 65535, 65535, 65535}));  // mask 0

    // With the mask switched off the masked load writes everything.
    dro::maskState().enabled = 0;
    DRO_LoadRGBA32Layer(px, 8, 1, 0, 0, 2, 1, 1);
    EXPECT_EQ(pixelAt(layerPixels(1, 2, 1), 2, 1, 0), (std::array<uint16_t, 4>{2304, 2304, 2304, 2304}));
}

TEST_F(TransferTest, MaskedLoadOnTransparentOrWithTransparentSource) {
    openCanvas(2, 1, 2, 2);
    std::vector<uint16_t> mask = {0x8000, 0x8000};
    DRO_SetMaskData16(mask.data());
    setPixel(2, 2, 1, 0, {100, 200, 300, 40000});
    const uint8_t px[] = {10, 20, 30, 200, 50, 60, 70, 0};
    DRO_LoadRGBA32Layer(px, 8, 2, 0, 0, 2, 1, 1);
    const auto plane = layerPixels(2, 2, 1);
    // Empty layer pixel: colour set, alpha = (a << 8) * c >> 16.
    EXPECT_EQ(pixelAt(plane, 2, 0, 0), (std::array<uint16_t, 4>{2560, 5120, 7680, (51200u * 33023) >> 16}));
    // Transparent source over a painted pixel: colour kept, alpha faded by 65535 - c.
    EXPECT_EQ(pixelAt(plane, 2, 1, 0), (std::array<uint16_t, 4>{100, 200, 300, (40000u * 32512) >> 16}));
}

TEST_F(TransferTest, TextureScalesCoverageOfMaskedLoads) {
    openCanvas(2, 1, 1, 1);
    dro::textureMap().plane = dro::adoptBuffer(static_cast<uint8_t*>(std::malloc(2)));
    dro::textureMap().plane[0] = 64;   // u = 128: coverage 33023
    dro::textureMap().plane[1] = 250;  // u = 500: full coverage
    dro::maskState().enabled = 0;      // the texture alone takes the masked path
    const uint8_t px[] = {255, 128, 255, 255, 7, 7, 7, 255};
    DRO_LoadRGBA32Layer(px, 8, 1, 0, 0, 2, 1, 1);
    const auto plane = layerPixels(1, 2, 1);
    EXPECT_EQ(pixelAt(plane, 2, 0, 0)[0], 65405);  // white stays near white
    EXPECT_EQ(pixelAt(plane, 2, 0, 0)[1], ((((128u << 8) * 33023) >> 8) + ((65535u * 32512) >> 8)) >> 8);
    EXPECT_EQ(pixelAt(plane, 2, 1, 0), (std::array<uint16_t, 4>{1792, 1792, 1792, 65280}));
}

TEST_F(TransferTest, ParallelLoadMatchesRowByRowLoads) {
    // Big enough to run threaded; compared with the same load done in small serial pieces.
    constexpr int w = 123, h = 77;
    openCanvas(w, h, 3, 2);
    std::vector<uint16_t> mask(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < mask.size(); ++i) mask[i] = static_cast<uint16_t>((i * 7919) % 3 == 0 ? 65535 : i * 977);
    DRO_SetMaskData16(mask.data());
    const auto under = randomRGBA32(w, h, 11);
    DRO_LoadRGBA32Layer(under.data(), w * 4, 2, 0, 0, w, h, 0);
    DRO_LoadRGBA32Layer(under.data(), w * 4, 3, 0, 0, w, h, 0);
    const auto block = randomRGBA32(w, h, 12);
    for (uint8_t useMask : {0, 1}) {
        DRO_LoadRGBA32Layer(block.data(), w * 4, 2, 0, 0, w, h, useMask);
        for (int y = 0; y < h; ++y) DRO_LoadRGBA32Layer(block.data() + y * w * 4, w * 4, 3, 0, y, w, 1, useMask);
        ASSERT_EQ(layerPixels(2, w, h), layerPixels(3, w, h)) << "useMask " << int(useMask);
    }
}

TEST_F(TransferTest, RGB24LoadsLeaveAlphaOrTouchOnlyAlpha) {
    openCanvas(2, 1, 2, 2);
    setPixel(2, 2, 0, 0, {1, 2, 3, 0});
    setPixel(2, 2, 1, 0, {1, 2, 3, 500});
    const uint8_t rgb[] = {10, 20, 30, 40, 50, 60};
    DRO_LoadRGB24(rgb, 6, 0);
    auto plane = layerPixels(2, 2, 1);
    EXPECT_EQ(pixelAt(plane, 2, 0, 0), (std::array<uint16_t, 4>{2560, 5120, 7680, 0}));
    EXPECT_EQ(pixelAt(plane, 2, 1, 0), (std::array<uint16_t, 4>{10240, 12800, 15360, 500}));

    DRO_LoadRGB24ToAlpha(rgb, 6, 0);  // only pixels with alpha change
    plane = layerPixels(2, 2, 1);
    EXPECT_EQ(pixelAt(plane, 2, 0, 0)[3], 0);
    EXPECT_EQ(pixelAt(plane, 2, 1, 0)[3], 40 << 8);

    // The alpha load scales by the whole 16-bit mask value.
    std::vector<uint16_t> mask = {65535, 0x8000};
    DRO_SetMaskData16(mask.data());
    DRO_LoadRGB24ToAlpha(rgb, 6, 1);
    const uint32_t c = (0x8000u * 65535) >> 16;
    EXPECT_EQ(pixelAt(layerPixels(2, 2, 1), 2, 1, 0)[3], ((((40u << 8) * c) >> 8) + ((10240u * (65535 - c)) >> 8)) >> 8);
}

TEST_F(TransferTest, BGRLoadIsOpaqueAndCutToTheCanvas) {
    openCanvas(2, 2, 2, 2);
    const uint8_t bgr[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};  // 3 x 1 plus junk
    DRO_Load(bgr, 9, 3, 1);
    const auto plane = layerPixels(2, 2, 2);
    EXPECT_EQ(pixelAt(plane, 2, 0, 0), (std::array<uint16_t, 4>{3 << 8, 2 << 8, 1 << 8, 65535}));
    EXPECT_EQ(pixelAt(plane, 2, 1, 0), (std::array<uint16_t, 4>{6 << 8, 5 << 8, 4 << 8, 65535}));
    EXPECT_EQ(pixelAt(plane, 2, 0, 1)[3], 0);
}

TEST_F(TransferTest, ReadersProduceHighBytes) {
    openCanvas(3, 2, 2, 2);
    const auto block = randomRGBA32(3, 2, 99);
    std::vector<uint8_t> opaque = block;
    for (size_t i = 3; i < opaque.size(); i += 4) opaque[i] = 255;
    DRO_LoadRGBA32Layer(opaque.data(), 12, 2, 0, 0, 3, 2, 0);

    // Padded destination rows are honoured.
    std::vector<uint8_t> rgb(2 * 16, 0xEE);
    DRO_GetRGB24(rgb.data(), 16);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            for (int k = 0; k < 3; ++k) ASSERT_EQ(rgb[y * 16 + x * 3 + k], opaque[(y * 3 + x) * 4 + k]);
        }
        ASSERT_EQ(rgb[y * 16 + 9], 0xEE);
    }
    std::vector<uint8_t> alpha(3 * 2 * 3);
    DRO_GetRGB24FromAlpha(alpha.data(), 9);
    EXPECT_TRUE(std::all_of(alpha.begin(), alpha.end(), [](uint8_t v) { return v == 255; }));

    const auto plane = layerPixels(2, 3, 2);
    std::vector<uint8_t> out(3 * 2 * 4);
    DRO_GetRGBA32FromRGBA64(out.data(), 12, 3, 2, plane.data(), 24);
    EXPECT_EQ(out, opaque);
    std::vector<uint8_t> rect(2 * 4);
    DRO_GetRGBA32FromRGBA64Rect(rect.data(), 8, plane.data() + 4, 24, 5, 5, 2, 1);
    EXPECT_EQ(std::memcmp(rect.data(), opaque.data() + 4, 8), 0);
    std::vector<uint8_t> rgbAll(3 * 2 * 3);
    DRO_GetRGB24FromRGBA64(rgbAll.data(), 9, plane.data(), 24);
    EXPECT_EQ(rgbAll[9], opaque[12]);

    std::vector<uint16_t> part(2 * 2 * 4, 0);
    DRO_GetRGBA64LayerRect(part.data(), 16, 2, 1, 0, 2, 2);
    EXPECT_EQ(part[0], plane[4]);
    EXPECT_EQ(part[8], plane[16]);
    // Off the layer's edge the destination is left as it was.
    std::vector<uint16_t> edge(2 * 4, 7);
    DRO_GetRGBA64LayerRect(edge.data(), 16, 2, 2, 1, 2, 1);
    EXPECT_EQ(edge[0], plane[(1 * 3 + 2) * 4]);
    EXPECT_EQ(edge[4], 7);
}

TEST_F(TransferTest, RectToRGBA32ClipsToTheCanvas) {
    openCanvas(4, 3, 1, 1);
    std::vector<uint16_t> block(4 * 3 * 4);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint16_t>(i << 8);
    std::vector<uint8_t> out(4 * 3 * 4, 0xEE);
    DRO_RGBA64RectToRGBA32(block.data(), 0, 0, 4, 3, 4, 0, out.data());
    for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], static_cast<uint8_t>(i));

    std::fill(out.begin(), out.end(), 0xEE);
    DRO_RGBA64RectToRGBA32(block.data(), -2, 2, 9, 9, 4, 0, out.data());  // becomes 4 x 1 at (0, 2)
    EXPECT_EQ(out[0], static_cast<uint8_t>(2 * 16));
    EXPECT_EQ(out[15], static_cast<uint8_t>(2 * 16 + 15));
    EXPECT_EQ(out[16], 0xEE);

    std::vector<uint8_t> rgb(2 * 3);
    DRO_RGBA64RectToRGBA24(block.data(), 1, 1, 2, 1, 4, 0, rgb.data());
    EXPECT_EQ(rgb[0], static_cast<uint8_t>((4 + 1) * 4));
    EXPECT_EQ(rgb[3], static_cast<uint8_t>((4 + 2) * 4));
}

// The RGB24 twin reads exactly the pixels the RGBA32 form reads, however far off the
// canvas the rectangle lies, and reads nothing without a canvas.
TEST_F(TransferTest, RectToRGB24ClipsExactlyAsRGBA32Does) {
    std::vector<uint16_t> block(4 * 3 * 4);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint16_t>(i << 8);
    const std::array<std::array<int32_t, 4>, 6> rects = {{
        {-2, 2, 9, 9}, {1, 1, 2, 1}, {100000, 0, 5, 5}, {0, 100000, 5, 5}, {3, -7, 1, 100}, {0, 0, 0, 3}}};
    auto compare = [&] {
        for (const auto& r : rects) {
            std::vector<uint8_t> rgba(4 * 3 * 4, 0xEE), rgb(4 * 3 * 3, 0xEE);
            DRO_RGBA64RectToRGBA32(block.data(), r[0], r[1], r[2], r[3], 4, 0, rgba.data());
            DRO_RGBA64RectToRGBA24(block.data(), r[0], r[1], r[2], r[3], 4, 0, rgb.data());
            for (size_t p = 0; p < 12; ++p) {
                for (size_t c = 0; c < 3; ++c) ASSERT_EQ(rgb[p * 3 + c], rgba[p * 4 + c]) << r[0] << "," << r[1];
            }
        }
    };
    compare();  // no canvas: nothing is read
    openCanvas(4, 3, 1, 1);
    compare();
    DRO_DeleteImage();
    compare();
}

TEST_F(TransferTest, SetRGBA64LayerCopiesUnchanged) {
    openCanvas(2, 2, 2, 2);
    std::vector<uint16_t> block(2 * 2 * 4);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint16_t>(i * 4099);
    DRO_SetRGBA64Layer(block.data(), 16, 2);
    EXPECT_EQ(layerPixels(2, 2, 2), block);
}

TEST_F(TransferTest, ClearsThroughTheMask) {
    openCanvas(3, 1, 1, 1);
    std::vector<uint16_t> mask = {0, 65535, 0x4000};
    DRO_SetMaskData16(mask.data());
    setPixel(1, 3, 2, 0, {0, 0, 0, 100});
    DRO_ClearMasked(255, 0, 128, 10);
    const auto plane = layerPixels(1, 3, 1);
    EXPECT_EQ(pixelAt(plane, 3, 0, 0), (std::array<uint16_t, 4>{65535, 65535, 65535, 65535}));
    EXPECT_EQ(pixelAt(plane, 3, 1, 0), (std::array<uint16_t, 4>{65280, 0, 32768, 2560}));
    const uint32_t c = 0x4000;
    EXPECT_EQ(pixelAt(plane, 3, 2, 0)[0], (((65280u * c) >> 8)) >> 8);
    EXPECT_EQ(pixelAt(plane, 3, 2, 0)[3], 65535);

    DRO_Clear(1, 2, 3, 4);
    EXPECT_EQ(pixelAt(layerPixels(1, 3, 1), 3, 0, 0), (std::array<uint16_t, 4>{256, 512, 768, 1024}));
}

TEST_F(TransferTest, ClearMaskedAlphaLoadsThroughMaskAndLock) {
    openCanvas(2, 1, 2, 2);
    DRO_SetLayerOptions(2, 1, 1, 100, "Normal");  // alpha locked
    dro::maskState().enabled = 0;
    setPixel(2, 2, 0, 0, {0, 0, 0, 1234});
    DRO_ClearMaskedAlpha(255, 255, 0, 255);
    EXPECT_EQ(pixelAt(layerPixels(2, 2, 1), 2, 0, 0), (std::array<uint16_t, 4>{65280, 65280, 0, 1234}));

    DRO_SetLayerOptions(2, 1, 0, 100, "Normal");
    dro::maskState().enabled = 1;
    std::vector<uint16_t> mask = {65535, 0};
    DRO_SetMaskData16(mask.data());
    DRO_ClearMaskedAlpha(1, 1, 1, 1);
    const auto plane = layerPixels(2, 2, 1);
    EXPECT_EQ(pixelAt(plane, 2, 0, 0), (std::array<uint16_t, 4>{256, 256, 256, 256}));
    EXPECT_EQ(pixelAt(plane, 2, 1, 0), (std::array<uint16_t, 4>{65280, 65280, 0, 0}));  // mask 0: kept
}

TEST_F(TransferTest, HostBlockFillsAndSinglePixelWrites) {
    DRO_CreateImage(nullptr, 2, 2, 16, 0);
    std::vector<uint8_t> rgba(2 * 12, 0);  // pitch 12 with padding
    DRO_ClearRGBA32(rgba.data(), 12, 1, 2, 3, 4);
    EXPECT_EQ(rgba[12 + 4], 1);
    EXPECT_EQ(rgba[8], 0);
    std::vector<uint8_t> packed(3 * 4);
    DRO_ClearRGBA32Buf(packed.data(), 3, 1, 9, 8, 7, 6);
    EXPECT_EQ(packed[11], 6);
    std::vector<uint16_t> wide(2 * 2 * 4);
    DRO_ClearRGBA64(wide.data(), 16, 1, 2, 3, 65535);
    EXPECT_EQ(wide[15], 65535);

    std::vector<uint8_t> rgb(2 * 6, 0);
    DRO_SetPixelRGB24(rgb.data(), 6, 1, 1, 0x1234, 0xABCD, 0xFF00);
    EXPECT_EQ(rgb[9], 0x12);
    EXPECT_EQ(rgb[10], 0xAB);
    EXPECT_EQ(rgb[11], 0xFF);
    DRO_SetPixelRGB24(rgb.data(), 6, 2, 0, 0xFFFF, 0, 0);  // outside: ignored
    EXPECT_EQ(rgb[6], 0);
}

TEST_F(TransferTest, MaskReadsAndRawMaskCopies) {
    openCanvas(2, 1, 1, 1);
    std::vector<uint16_t> mask = {100, 65535};
    DRO_SetMaskData16(mask.data());
    EXPECT_EQ(maskValues(2, 1), mask);
    EXPECT_EQ(DRO_GetMask64(0, 0), 65435);
    EXPECT_EQ(DRO_GetMask64(1, 0), 0);
    EXPECT_EQ(DRO_GetMask64(2, 0), 0);
    dro::maskState().enabled = 0;
    EXPECT_EQ(DRO_GetMask64(0, 0), 0);
}

TEST_F(TransferTest, BlockConvertersRoundTrip) {
    const auto block = randomRGBA32(5, 3, 4);
    std::vector<uint16_t> wide(5 * 3 * 4);
    dro::RGBA32ToRGBA64Block(block.data(), wide.data(), 5, 3);
    EXPECT_EQ(wide[7], block[7] << 8);
    std::vector<uint8_t> back(block.size());
    dro::RGBA64ToRGBA32Block(wide.data(), back.data(), 5, 3);
    EXPECT_EQ(back, block);
}
