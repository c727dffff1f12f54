#include <array>
#include <cstring>
#include <random>

#include "core/texture_map.h"
#include "composite/merge_block.h"
#include "composite/merge_pixel.h"
#include "core/canvas.h"
#include "core/mask_state.h"
#include "support/engine_fixture.h"

namespace {

using Pixel = std::array<uint16_t, 4>;

Pixel pixelOf(const std::vector<uint16_t>& plane, size_t i) {
    return {plane[i * 4], plane[i * 4 + 1], plane[i * 4 + 2], plane[i * 4 + 3]};
}

void setPixel(int layer, int w, int x, int y, Pixel v) {
    std::memcpy(&dro::canvas().layerSlots[layer].pixels[(static_cast<size_t>(y) * w + x) * 4], v.data(), 8);
}

// Random RGBA64 pixels with alphas the rule tells apart: 0, opaque, partial.
std::vector<uint16_t> randomPlane(std::mt19937& rng, size_t pixels) {
    std::vector<uint16_t> plane(pixels * 4);
    for (size_t i = 0; i < pixels; ++i) {
        for (int k = 0; k < 3; ++k) plane[i * 4 + k] = static_cast<uint16_t>(rng());
        const uint32_t pick = rng() % 4;
        plane[i * 4 + 3] = static_cast<uint16_t>(pick == 0 ? 0 : pick == 1 ? 65535 : rng());
    }
    return plane;
}

class LayerMergeTest : public EngineTest {};

}  // namespace

TEST_F(LayerMergeTest, MergeBlockAppliesThePixelRuleToEveryPixel) {
    std::mt19937 rng(17);
    constexpr int w = 7, h = 5;
    for (int mode = 0; mode <= 53; ++mode) {
        for (int opacity : {0, 128, 256}) {
            for (bool lock : {false, true}) {
                const auto source = randomPlane(rng, w * h);
                auto destination = randomPlane(rng, w * h);
                auto expected = destination;
                dro::MergeBlockCall call;
                call.source = source.data();
                call.width = w;
                call.height = h;
                call.sourceStride = w * 4;
                call.destination = destination.data();
                call.destinationStride = w * 4;
                call.mode = mode;
                call.opacity = opacity;
                call.alphaLock = lock;
                dro::MergeBlock(call);
                for (size_t i = 0; i < w * h; ++i) {
                    uint32_t d[4] = {expected[i * 4], expected[i * 4 + 1], expected[i * 4 + 2], expected[i * 4 + 3]};
                    // Modes 40 and 41 keep the source on a transparent destination here.
                    const bool keepsSource = (mode == 40 || mode == 41) && d[3] == 0;
                    dro::mergePixel(d[0], d[1], d[2], d[3], source[i * 4], source[i * 4 + 1], source[i * 4 + 2],
                                    source[i * 4 + 3], keepsSource ? 32 : mode, opacity, lock);
                    if (keepsSource && source[i * 4 + 3] != 0) continue;  // checked below
                    ASSERT_EQ(pixelOf(destination, i), (Pixel{uint16_t(d[0]), uint16_t(d[1]), uint16_t(d[2]),
                                                               uint16_t(d[3])}))
                        << "mode " << mode << " opacity " << opacity << " lock " << lock << " pixel " << i;
                }
            }
        }
    }
}

TEST_F(LayerMergeTest, ShaderTexture2CopiesOntoTransparentDestination) {
    const uint16_t source[4] = {1000, 2000, 3000, 40000};
    uint16_t destination[4] = {5, 6, 7, 0};
    dro::MergeBlockCall call;
    call.source = source;
    call.width = call.height = 1;
    call.destination = destination;
    call.mode = 40;
    dro::MergeBlock(call);
    EXPECT_EQ(destination[3], 65535);  // alpha O, not the transparent black of the pixel rule
    uint32_t d[4] = {5, 6, 7, 0};
    DRO_MergePixel(&d[0], &d[1], &d[2], &d[3], 1000, 2000, 3000, 40000, 40, 255, 0);
    EXPECT_EQ(d[3], 0u);
}

TEST_F(LayerMergeTest, LayerMaskScalesSourceAlphaByItsGreyLevel) {
    openCanvas(3, 1, 4, 1);
    DRO_SetLayerOptions(2, 1, 0, 100, "Normal");
    DRO_SetLayerOptions(3, 1, 0, 100, "Layer Mask");
    for (int x = 0; x < 3; ++x) setPixel(2, 3, x, 0, {65280, 0, 0, 40000});
    setPixel(3, 3, 0, 0, {32768, 32768, 32768, 65535});  // half grey
    setPixel(3, 3, 1, 0, {0, 0, 0, 65535});              // black: masked out
    // pixel 2 of the mask layer is transparent: no masking there
    EXPECT_EQ(dro::FindLayerMask(2), 3);
    DRO_MergeLayer(2, 1);
    const auto out = layerPixels(1, 3, 1);
    uint32_t d[4] = {65535, 65535, 65535, 65535};
    DRO_MergePixel(&d[0], &d[1], &d[2], &d[3], 65280, 0, 0, (32768u * 40000) >> 16, 0, 256, 0);
    EXPECT_EQ(pixelOf(out, 0), (Pixel{uint16_t(d[0]), uint16_t(d[1]), uint16_t(d[2]), uint16_t(d[3])}));
    EXPECT_EQ(pixelOf(out, 1), (Pixel{65535, 65535, 65535, 65535}));
    EXPECT_NE(pixelOf(out, 2), pixelOf(out, 0));
}

TEST_F(LayerMergeTest, OnlyTheNearestVisibleLayerAboveCanMask) {
    openCanvas(2, 1, 5, 1);
    DRO_SetLayerOptions(3, 0, 0, 100, "Layer Mask");  // hidden: skipped
    DRO_SetLayerOptions(4, 1, 0, 100, "Layer Mask");
    EXPECT_EQ(dro::FindLayerMask(2), 4);
    DRO_SetLayerOptions(3, 1, 0, 100, "Normal");  // a visible normal layer between
    EXPECT_EQ(dro::FindLayerMask(2), 0);
    EXPECT_EQ(dro::FindLayerMask(5), 0);
    EXPECT_EQ(dro::FindLayerMask(-1), 0);
}

TEST_F(LayerMergeTest, SameAlphaModeLayersCopyInsteadOfCompositing) {
    openCanvas(2, 1, 3, 1);
    DRO_SetLayerOptions(2, 1, 0, 100, "Alpha Shader");
    DRO_SetLayerOptions(3, 1, 0, 100, "Alpha Shader");
    setPixel(3, 2, 0, 0, {100, 200, 300, 20000});
    setPixel(2, 2, 0, 0, {9, 9, 9, 65535});
    setPixel(2, 2, 1, 0, {7, 7, 7, 65535});
    DRO_MergeLayer(3, 2);
    const auto out = layerPixels(2, 2, 1);
    EXPECT_EQ(pixelOf(out, 0), (Pixel{100, 200, 300, 20000}));
    EXPECT_EQ(pixelOf(out, 1), (Pixel{7, 7, 7, 65535}));  // source alpha 0: untouched

    // Without the flag the shader rewrite applies (grey colour of the alpha).
    uint16_t destination[4] = {9, 9, 9, 65535};
    const uint16_t source[4] = {100, 200, 300, 20000};
    dro::MergeBlockCall call;
    call.source = source;
    call.width = call.height = 1;
    call.destination = destination;
    call.mode = 38;
    dro::MergeBlock(call);
    EXPECT_NE(destination[0], 100);
}

TEST_F(LayerMergeTest, SameModeRuleThresholds) {
    auto mergeOne = [](int mode, uint16_t alpha) {
        const uint16_t source[4] = {30000, 30000, 30000, alpha};
        uint16_t destination[4] = {60000, 60000, 60000, 65535};
        dro::MergeBlockCall call;
        call.source = source;
        call.width = call.height = 1;
        call.destination = destination;
        call.mode = mode;
        call.sameMode = true;
        dro::MergeBlock(call);
        return Pixel{destination[0], destination[1], destination[2], destination[3]};
    };
    const Pixel untouched{60000, 60000, 60000, 65535};
    EXPECT_EQ(mergeOne(44, 0x1FFE), untouched);
    EXPECT_EQ(mergeOne(44, 0x1FFF), (Pixel{30000, 30000, 30000, 0x1FFF}));
    EXPECT_EQ(mergeOne(50, 0x7F00), untouched);
    EXPECT_EQ(mergeOne(50, 0x7F01), (Pixel{30000, 30000, 30000, 0x7F01}));
    EXPECT_EQ(mergeOne(51, 65535), untouched);
    EXPECT_EQ(mergeOne(43, 0x23FF)[3], 0x23FF);
    // Between the thresholds 43 composites as Multiply, with no rewrite of the source.
    uint32_t d[4] = {60000, 60000, 60000, 65535};
    DRO_MergePixel(&d[0], &d[1], &d[2], &d[3], 30000, 30000, 30000, 0x2000, 1, 256, 0);
    EXPECT_EQ(mergeOne(43, 0x2000), (Pixel{uint16_t(d[0]), uint16_t(d[1]), uint16_t(d[2]), uint16_t(d[3])}));
}

TEST_F(LayerMergeTest, PreOpacityScalesBeforeTheRewrite) {
    const uint16_t source[4] = {65280, 65280, 65280, 65535};
    uint16_t destination[4] = {0, 0, 0, 0};
    dro::MergeBlockCall call;
    call.source = source;
    call.width = call.height = 1;
    call.destination = destination;
    call.preOpacity = 127;
    dro::MergeBlock(call);
    EXPECT_EQ(destination[3], (128u * 65535) >> 8);
}

TEST_F(LayerMergeTest, AlphaLockKeepsTransparentDestinationTransparent) {
    openCanvas(1, 1, 2, 1);
    setPixel(2, 1, 0, 0, {65280, 0, 0, 65535});
    std::vector<uint16_t> layer(4, 0);
    const uint16_t* source = dro::canvas().layerSlots[2].pixels.get();
    dro::MergeBlockCall call;
    call.source = source;
    call.width = call.height = 1;
    call.destination = layer.data();
    call.alphaLock = true;
    dro::MergeBlock(call);
    EXPECT_EQ(layer, (std::vector<uint16_t>{65280, 0, 0, 0}));
}

TEST_F(LayerMergeTest, MergeRectFlattensVisibleLayers) {
    openCanvas(4, 3, 3, 1);
    std::vector<uint16_t> buffer(2 * 2 * 4, 7);
    setPixel(2, 4, 2, 1, {65280, 0, 0, 65535});
    DRO_MergeRect(buffer.data(), 1, 1, 2, 2);
    EXPECT_EQ(pixelOf(buffer, 0), (Pixel{65535, 65535, 65535, 65535}));
    EXPECT_EQ(pixelOf(buffer, 1), (Pixel{65280, 0, 0, 65535}));

    DRO_SetLayerOptions(1, 2, 0, 100, "Normal");  // visible must be exactly 1 to copy the background
    DRO_SetLayerOptions(2, 0, 0, 100, "Normal");
    DRO_MergeRect(buffer.data(), 1, 1, 2, 2);
    for (uint16_t v : buffer) ASSERT_EQ(v, 0);

    // A rectangle partly off the canvas reads only the canvas part.
    DRO_SetLayerOptions(1, 1, 0, 100, "Normal");
    std::vector<uint16_t> edge(3 * 3 * 4, 7);
    DRO_MergeRect(edge.data(), 2, 1, 3, 3);
    EXPECT_EQ(pixelOf(edge, 0)[3], 65535);
    EXPECT_EQ(pixelOf(edge, 2), (Pixel{0, 0, 0, 0}));
}

TEST_F(LayerMergeTest, ColourAtMergedPacksTheComposite) {
    openCanvas(3, 3, 2, 1);
    setPixel(2, 3, 1, 1, {0x1200, 0x3400, 0x5600, 65535});
    EXPECT_EQ(DRO_GetColorAtMerged(1, 1), 0xFF123456u);
    EXPECT_EQ(DRO_GetColorAtMerged(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(DRO_GetColorAtMerged(3, 0), 0x00FFFFFFu);
    EXPECT_EQ(DRO_GetColorAtMerged(-1, 0), 0x00FFFFFFu);
}

TEST_F(LayerMergeTest, RGBA32BlocksMergeIntoLayers) {
    openCanvas(2, 1, 2, 2);
    const uint8_t block[] = {255, 0, 0, 255, 0, 255, 0, 0};
    DRO_MergeRGBA32Layer(block, 2, 0, 256);
    const auto out = layerPixels(2, 2, 1);
    EXPECT_EQ(pixelOf(out, 0), (Pixel{65280, 0, 0, 65280}));
    EXPECT_EQ(pixelOf(out, 1), (Pixel{0, 0, 0, 0}));

    dro::testhooks::failAllAllocations(true);
    DRO_MergeRGBA32Layer(block, 1, 0, 256);
    dro::testhooks::failAllAllocations(false);
    EXPECT_STREQ(DRO_GetLastError(), "DRO_MergeRGBA32Layer Excpt");
}

TEST_F(LayerMergeTest, LoadMergedClearsThroughTheMaskThenMerges) {
    openCanvas(2, 1, 3, 3);
    setPixel(2, 2, 0, 0, {1, 2, 3, 65535});
    setPixel(2, 2, 1, 0, {4, 5, 6, 65535});
    std::vector<uint16_t> mask = {65535, 0};
    DRO_SetMaskData16(mask.data());
    uint8_t block[] = {10, 20, 30, 0, 40, 50, 60, 0};
    DRO_LoadRGBA32Layer_BAD(block, 0, 2, 2, 1, 0);
    const auto out = layerPixels(2, 2, 1);
    EXPECT_EQ(pixelOf(out, 0), (Pixel{0, 0, 0, 0}));        // cleared, and the source is transparent
    EXPECT_EQ(pixelOf(out, 1), (Pixel{4, 5, 6, 65535}));    // protected by the mask
    for (uint16_t v : layerPixels(3, 2, 1)) ASSERT_EQ(v, 0);  // the current layer is not touched

    // With adjust, the mask first takes the block's alpha away where it protects.
    uint8_t opaque[] = {10, 20, 30, 255, 40, 50, 60, 255};
    DRO_LoadRGBA32Layer_BAD(opaque, 0, 2, 2, 1, 1);
    EXPECT_EQ(opaque[7], 0);
    EXPECT_EQ(pixelOf(layerPixels(2, 2, 1), 0), (Pixel{10 << 8, 20 << 8, 30 << 8, 65280}));
}

TEST_F(LayerMergeTest, MaskAndTextureAdjustAlpha) {
    openCanvas(3, 1, 1, 1);
    std::vector<uint16_t> mask = {65535, 32768, 0};
    DRO_SetMaskData16(mask.data());
    uint8_t block[] = {0, 0, 0, 200, 0, 0, 0, 200, 0, 0, 0, 200};
    DRO_AdjustRGBA32ByMaskAndTexture(block, 3, 1);
    EXPECT_EQ(block[3], 200);
    EXPECT_EQ(block[7], 200 * (65535 * 32768 / 65536) / 65535);
    EXPECT_EQ(block[11], 0);

    dro::textureMap().plane = dro::adoptBuffer(static_cast<uint8_t*>(std::malloc(3)));
    dro::textureMap().plane[0] = 64;  // f = 64 * 131070 >> 8 = 32767
    dro::maskState().enabled = 0;
    uint8_t rect[] = {0, 0, 0, 255, 0, 0, 0, 255};  // 1 x 1 at (-1, 0) and (0, 0) of a 2 x 1 block
    DRO_AdjustRGBA32RectByMaskAndTexture(rect, -1, 0, 2, 1);
    EXPECT_EQ(rect[3], 255);  // off the canvas
    EXPECT_EQ(rect[7], 255 * 32767 / 65535);
}
