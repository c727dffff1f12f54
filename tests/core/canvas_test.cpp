#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "brush/blend_buffers.h"
#include "core/texture_map.h"
#include "composite/view_state.h"
#include "core/canvas.h"
#include "core/mask_state.h"
#include "support/engine_fixture.h"
#include "undo/undo_store.h"

using CanvasTest = EngineTest;

TEST_F(CanvasTest, CreateImageClampsOutOfRangeSizesTo100) {
    DRO_CreateImage(nullptr, -5, 20000, 32, 0);
    EXPECT_EQ(dro::canvas().width, 100);
    EXPECT_EQ(dro::canvas().height, 100);
    EXPECT_EQ(dro::canvas().rowPitch, 400);
    // The host is told that the size it asked for was not used.
    EXPECT_NE(std::string(DRO_GetLastError()).find("-5 x 20000"), std::string::npos) << DRO_GetLastError();
    DRO_SetLastError("");
    DRO_CreateImage(nullptr, 0, 10, 32, 0);
    EXPECT_NE(std::string(DRO_GetLastError()).find("0 x 10"), std::string::npos) << DRO_GetLastError();
    DRO_SetLastError("");
    DRO_CreateImage(nullptr, 1, 10000, 32, 0);
    EXPECT_STREQ(DRO_GetLastError(), "");
    DRO_NewSize(nullptr, 10000, 0, 32, 0);
    EXPECT_EQ(dro::canvas().width, 10000);
    EXPECT_EQ(dro::canvas().height, 0);
}

TEST_F(CanvasTest, CreateImageBuildsTheCanvasBuffers) {
    DRO_SetRandomSeed(3);
    dro::viewState().zoom = 4;
    DRO_CreateImage(nullptr, 8, 6, 16, 0);
    const auto mask = maskValues(8, 6);
    EXPECT_TRUE(std::all_of(mask.begin(), mask.end(), [](uint16_t m) { return m == 65535; }));
    EXPECT_EQ(dro::maskState().enabled, 1);
    EXPECT_EQ(dro::maskState().rowPitchBytes, 16);
    EXPECT_EQ(dro::viewState().zoom, 1);
    EXPECT_EQ(dro::blendBuffers().count, 1);
    EXPECT_EQ(dro::canvas().randomTableA.modulus, 255);
    EXPECT_EQ(dro::canvas().randomTableB.modulus, 254);
    EXPECT_EQ(dro::canvas().randomTableA.length, 1000000);
    EXPECT_EQ(dro::canvas().randomTableA.seed, 3);
    EXPECT_EQ(dro::canvas().currentSlot, nullptr);
    EXPECT_EQ(dro::undoStore().undoUsedKB, 8 * 6 * 10 / 1024);
}

TEST_F(CanvasTest, NewLayersStartWhiteOrTransparent) {
    openCanvas(4, 3, 2);
    for (uint16_t v : layerPixels(1, 4, 3)) ASSERT_EQ(v, 65535);
    for (uint16_t v : layerPixels(2, 4, 3)) ASSERT_EQ(v, 0);
    EXPECT_EQ(DRO_CreateLayer(272, 4, 3), 0);
    EXPECT_EQ(DRO_CreateLayer(-1, 4, 3), 0);
}

TEST_F(CanvasTest, RecreatingALayerOfTheSameSizeKeepsItsPlaneButClearsIt) {
    openCanvas(4, 4, 2);
    const uint16_t* plane = dro::canvas().layerSlots[2].pixels.get();
    DRO_Clear(10, 20, 30, 40);
    ASSERT_EQ(DRO_CreateLayer(2, 4, 4), 1);
    EXPECT_EQ(dro::canvas().layerSlots[2].pixels.get(), plane);
    for (uint16_t v : layerPixels(2, 4, 4)) ASSERT_EQ(v, 0);
    ASSERT_EQ(DRO_CreateLayer(2, 2, 2), 1);
    EXPECT_EQ(dro::canvas().layerSlots[2].width, 2);
}

TEST_F(CanvasTest, TopLayerIsRecomputedOnlyBySetLayerOptions) {
    openCanvas(4, 4, 3);
    EXPECT_EQ(dro::canvas().topLayer, 3);
    DRO_DeleteLayer(3);
    EXPECT_EQ(dro::canvas().topLayer, 3);
    DRO_SetLayerOptions(1, 1, 0, 100, "Normal");
    EXPECT_EQ(dro::canvas().topLayer, 2);
    EXPECT_EQ(DRO_GetLayerCount(), 2);
    ASSERT_EQ(DRO_CreateLayer(0, 4, 4), 1);  // the tracing slot counts too
    EXPECT_EQ(DRO_GetLayerCount(), 3);
}

TEST_F(CanvasTest, LayerOptionsParseOpacityAndMode) {
    openCanvas(4, 4, 2);
    DRO_SetLayerOptions(2, 0, 1, 33, "Multiply");
    const dro::LayerSlot& slot = dro::canvas().layerSlots[2];
    EXPECT_EQ(slot.opacity, 84);
    EXPECT_EQ(slot.visible, 0);
    EXPECT_EQ(slot.alphaLocked, 1);
    EXPECT_EQ(slot.mode, 1);
    DRO_SetLayerOptions(2, 1, 0, 0, "multiply");  // names are case-sensitive
    EXPECT_EQ(slot.opacity, 0);
    EXPECT_EQ(slot.mode, 0);
    DRO_SetLayerOptions(2, 1, 0, 99, "Luminance Alpha Invert");
    EXPECT_EQ(slot.opacity, 253);
    EXPECT_EQ(slot.mode, 53);

    DRO_SetAlphaLayerOpacity(50);
    EXPECT_EQ(dro::canvas().alphaLayerOpacity, 32767);
    DRO_SetAlphaLayerOpacity(100);
    EXPECT_EQ(dro::canvas().alphaLayerOpacity, 65535);
}

TEST_F(CanvasTest, SetLayerSelectsOnlyFilledSlotsAndFillsTheBackBuffer) {
    openCanvas(4, 4, 2, 2);
    EXPECT_EQ(DRO_GetLayerNum(), 2);
    DRO_SetLayer(7);
    EXPECT_EQ(DRO_GetLayerNum(), 2);
    DRO_SetLayer(-3);
    EXPECT_EQ(DRO_GetLayerNum(), 2);
    DRO_SetLayer(1);
    EXPECT_EQ(DRO_GetLayerNum(), 1);
    EXPECT_EQ(dro::undoStore().backPixels[0], 65535);  // the white background
}

TEST_F(CanvasTest, TextureFollowsTheTexturize3LayerWhileItIsNotCurrent) {
    openCanvas(4, 4, 3, 1);
    // A grey layer 3: t = 3 * 32768 / 768 = 128.
    std::vector<uint8_t> grey(4 * 4 * 4, 128);
    DRO_LoadRGBA32Layer(grey.data(), 16, 3, 0, 0, 4, 4, 0);
    DRO_SetLayerOptions(3, 1, 0, 100, "Texturize3");
    ASSERT_NE(dro::activeTexture(), nullptr);
    EXPECT_EQ(dro::activeTexture()[0], 128);

    DRO_SetLayer(3);  // making it current frees the texture
    EXPECT_EQ(dro::activeTexture(), nullptr);
    DRO_SetLayer(2);  // leaving it rebuilds the texture
    ASSERT_NE(dro::activeTexture(), nullptr);
    DRO_SetLayerOptions(3, 1, 0, 100, "Normal");  // leaving the mode frees it
    EXPECT_EQ(dro::activeTexture(), nullptr);
    DRO_SetLayerOptions(3, 0, 0, 100, "Texturize3");  // an invisible layer builds none
    EXPECT_EQ(dro::activeTexture(), nullptr);
}

TEST_F(CanvasTest, TextureValuesAreClampedTo4Through250) {
    openCanvas(2, 1, 2, 1);
    const uint8_t block[] = {0, 0, 0, 255, 255, 255, 255, 255};
    DRO_LoadRGBA32Layer(block, 8, 2, 0, 0, 2, 1, 0);
    dro::createTexture(2);
    ASSERT_NE(dro::activeTexture(), nullptr);
    EXPECT_EQ(dro::activeTexture()[0], 4);
    EXPECT_EQ(dro::activeTexture()[1], 250);
}

TEST_F(CanvasTest, SwapLayersExchangesWholeRecords) {
    openCanvas(4, 4, 2, 1);
    DRO_SetLayerOptions(2, 0, 1, 50, "Screen");
    DRO_SwapLayers(1, 2);
    EXPECT_EQ(dro::canvas().layerSlots[1].mode, 2);
    EXPECT_EQ(dro::canvas().layerSlots[2].opacity, 256);
    EXPECT_EQ(layerPixels(2, 4, 4)[0], 65535);
    EXPECT_EQ(DRO_GetLayerNum(), 1);  // the current index does not follow
    DRO_SwapLayers(1, 300);           // out of range: nothing
    DRO_SwapLayers(-1, 2);
    EXPECT_EQ(dro::canvas().layerSlots[1].mode, 2);
}

TEST_F(CanvasTest, WholeLayerDataCopies) {
    openCanvas(3, 2, 2, 2);
    std::vector<uint16_t> data(3 * 2 * 4);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint16_t>(i * 1000);
    DRO_SetLayerData(data.data(), 2);
    EXPECT_EQ(layerPixels(2, 3, 2), data);
    DRO_CopyLayerData(2, 1);
    EXPECT_EQ(layerPixels(1, 3, 2), data);
    std::vector<uint16_t> out(data.size(), 7);
    DRO_GetLayerData(out.data(), 1);
    EXPECT_EQ(out, data);
    DRO_GetLayerData(out.data(), 9);  // empty slot: untouched
    DRO_GetLayerData(nullptr, 1);
    DRO_SetLayerData(nullptr, 1);
    DRO_CopyLayerData(9, 1);
    EXPECT_EQ(layerPixels(1, 3, 2), data);
}

TEST_F(CanvasTest, DataExtentsCoverThePixelsWithAlpha) {
    openCanvas(20, 20, 2, 2);
    int32_t l = -1, t = -1, r = -1, b = -1;
    DRO_FindDataExtentsLayer(2, &l, &t, &r, &b);
    EXPECT_EQ(l, 20);
    EXPECT_EQ(t, 20);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(b, 0);
    const uint8_t px[] = {1, 2, 3, 255};
    DRO_LoadRGBA32Layer(px, 4, 2, 7, 9, 1, 1, 0);
    DRO_FindDataExtentsLayer(2, &l, &t, &r, &b);
    EXPECT_EQ((std::array<int32_t, 4>{l, t, r, b}), (std::array<int32_t, 4>{7, 9, 7, 9}));
    DRO_LoadRGBA32Layer(px, 4, 2, 2, 15, 1, 1, 0);
    DRO_FindDataExtentsLayer(2, &l, &t, &r, &b);
    EXPECT_EQ((std::array<int32_t, 4>{l, t, r, b}), (std::array<int32_t, 4>{2, 9, 7, 15}));
    l = -1;
    DRO_FindDataExtentsLayer(5, &l, &t, &r, &b);  // empty slot: outputs untouched
    EXPECT_EQ(l, -1);
}

TEST_F(CanvasTest, TransparencyTestTreatsWidened255AsOpaque) {
    openCanvas(3, 3, 2, 2);
    EXPECT_EQ(DRO_IsLayerTransparent(2), 1);
    EXPECT_EQ(DRO_IsLayerTransparent(7), 1);
    DRO_SetLayerAlpha(2, 65280);
    EXPECT_EQ(DRO_IsLayerTransparent(2), 0);
    dro::canvas().layerSlots[2].pixels[4 * 4 + 3] = 65279;
    EXPECT_EQ(DRO_IsLayerTransparent(2), 1);
}

TEST_F(CanvasTest, SingleColourComparesAllFourChannels) {
    openCanvas(3, 3, 2, 2);
    EXPECT_EQ(DRO_IsSingleColor(2), 1);
    EXPECT_EQ(DRO_IsSingleColor(9), 0);
    dro::canvas().layerSlots[2].pixels[8 * 4 + 3] = 1;
    EXPECT_EQ(DRO_IsSingleColor(2), 0);
}

TEST_F(CanvasTest, AlphaOperations) {
    openCanvas(2, 2, 2, 2);
    DRO_SetLayerAlpha(2, 0x12345);  // the low 16 bits
    EXPECT_EQ(layerPixels(2, 2, 2)[3], 0x2345);
    DRO_InvertAlpha(2);
    EXPECT_EQ(layerPixels(2, 2, 2)[3], 65535 - 0x2345);

    DRO_SetLayerAlpha(2, 65535);
    DRO_SetLayerOptions(2, 1, 0, 50, "Normal");
    DRO_NormalizeLayerAlpha(2);
    EXPECT_EQ(layerPixels(2, 2, 2)[3], 32767);
    EXPECT_EQ(dro::canvas().layerSlots[2].opacity, 256);

    DRO_SetLayerOptions(2, 1, 0, 50, "Alpha Normal");  // mode 32: untouched
    DRO_NormalizeLayerAlpha(2);
    EXPECT_EQ(layerPixels(2, 2, 2)[3], 32767);
    EXPECT_EQ(dro::canvas().layerSlots[2].opacity, 128);
}

TEST_F(CanvasTest, SetColorAlphaWidensBy257BelowAlpha256) {
    openCanvas(2, 1, 2, 2);
    auto& px = dro::canvas().layerSlots[2].pixels;
    px[3] = 255;
    px[4] = 1, px[5] = 2, px[6] = 3, px[7] = 256;
    DRO_SetColorAlpha(255, 0, 0);
    const auto out = layerPixels(2, 2, 1);
    EXPECT_EQ((std::vector<uint16_t>(out.begin(), out.begin() + 4)), (std::vector<uint16_t>{65535, 0, 0, 0}));
    EXPECT_EQ((std::vector<uint16_t>(out.begin() + 4, out.end())), (std::vector<uint16_t>{1, 2, 3, 256}));
}

TEST_F(CanvasTest, BlobPullsColoursFromMidGreyAndLiftsAlpha) {
    openCanvas(3, 1, 2, 2);
    auto& px = dro::canvas().layerSlots[2].pixels;
    const uint16_t in[] = {0, 0, 0, 65535, 65535, 65535, 65535, 8191, 30000, 30000, 30000, 8192};
    std::memcpy(px.get(), in, sizeof in);
    DRO_CreateBlobFromImage(2, 1);
    const auto out = layerPixels(2, 3, 1);
    // Black: l = 0, each channel = 65535 * 32767 / 65535 = 32767; alpha 10239.
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[3], 10239);
    // White: l = 65535 pulls to 65535 - 65535 * 32768 / 65535 = 32767; alpha 8191 stays.
    EXPECT_EQ(out[4], 32767);
    EXPECT_EQ(out[7], 8191);
    // 30000 grey: 30000 + 35535 * 2767 / 65535 = 31500.3; alpha 30000 * 0.843 + 10239.
    EXPECT_EQ(out[8], 31500);
    EXPECT_EQ(out[11], static_cast<uint16_t>(30000 * 0.843 + 10239));

    DRO_CreateBlobFromImage(2, 0);
    EXPECT_EQ(layerPixels(2, 3, 1)[8], 32767);
}

TEST_F(CanvasTest, HostRGBA32BlockOperations) {
    DRO_CreateImage(nullptr, 2, 1, 16, 0);
    uint8_t block[] = {1, 2, 3, 0, 4, 5, 6, 200};
    DRO_SetColorAlphaRGBABuf(block, 2, 1, 9, 8, 7);
    EXPECT_EQ((std::vector<uint8_t>(block, block + 8)), (std::vector<uint8_t>{9, 8, 7, 0, 4, 5, 6, 200}));
    DRO_InvertAlpha_RGBA32(block);
    EXPECT_EQ(block[3], 255);
    EXPECT_EQ(block[7], 55);
    DRO_SetAlphaFromRGBAImageColor(block, 4, 5, 6);
    EXPECT_EQ(block[3], 255);
    EXPECT_EQ(block[7], 0);
    DRO_SetColorRGBABuf(block, 2, 1, 1, 1, 1);
    EXPECT_EQ((std::vector<uint8_t>(block, block + 8)), (std::vector<uint8_t>{1, 1, 1, 255, 1, 1, 1, 0}));
    DRO_SetColorRGBABuf(nullptr, 2, 1, 1, 1, 1);
    DRO_SetColorRGBABuf(block, -2, 1, 9, 9, 9);
    EXPECT_EQ(block[0], 1);
}

TEST_F(CanvasTest, DeleteImageReleasesBuffersButKeepsSlotRecords) {
    openCanvas(4, 4, 2, 2);
    DRO_SetLayerOptions(2, 1, 1, 40, "Screen");
    DRO_DeleteImage();
    EXPECT_EQ(DRO_GetLayerCount(), 0);
    EXPECT_EQ(dro::maskState().plane, nullptr);
    EXPECT_EQ(dro::undoStore().backPixels, nullptr);
    EXPECT_EQ(dro::blendBuffers().count, 0);
    EXPECT_EQ(dro::canvas().layerSlots[2].mode, 2);
    EXPECT_EQ(dro::canvas().width, 4);
    EXPECT_NE(dro::canvas().randomTableA.data, nullptr);
    EXPECT_EQ(DRO_GetCurrentUndoMemory(), 0);
}

TEST_F(CanvasTest, NewSizeKeepsLayersAndSurvivesTheirOldSize) {
    openCanvas(8, 8, 2, 2);
    DRO_NewSize(nullptr, 16, 12, 32, 0);
    EXPECT_EQ(dro::canvas().layerSlots[2].width, 8);
    EXPECT_EQ(DRO_GetLayerNum(), 2);
    // Whole-canvas operations on the old 8 x 8 plane stay inside it.
    std::vector<uint8_t> out(16 * 12 * 4, 0xAB);
    DRO_GetRGBA32Layer(out.data(), 16 * 4, 2);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[8 * 4], 0xAB);
    DRO_Clear(1, 2, 3, 4);
    DRO_SaveUndoBuffer(1, 1);
    DRO_SetLayer(1);
    ASSERT_EQ(DRO_CreateLayer(2, 16, 12), 1);
    EXPECT_EQ(layerPixels(2, 16, 12).size(), 16u * 12 * 4);
}

TEST_F(CanvasTest, CallsWithoutACanvasDoNothing) {
    std::vector<uint8_t> block(64, 1);
    std::vector<uint16_t> wide(64, 1);
    DRO_SetLayer(1);
    DRO_LoadRGBA32(block.data(), 16, 1);
    DRO_LoadRGB24(block.data(), 12, 1);
    DRO_LoadRGB24ToAlpha(block.data(), 12, 1);
    DRO_Load(block.data(), 12, 4, 4);
    DRO_GetRGBA32(block.data(), 16);
    DRO_GetRGB24(block.data(), 12);
    DRO_GetRGB24FromAlpha(block.data(), 12);
    DRO_Clear(1, 2, 3, 4);
    DRO_ClearMasked(1, 2, 3, 4);
    DRO_ClearMaskedAlpha(1, 2, 3, 4);
    DRO_SetColorAlpha(1, 2, 3);
    DRO_GetMaskData16(wide.data());
    DRO_SetMaskData16(wide.data());
    DRO_SaveUndoBuffer(1, 1);
    DRO_Undo();
    DRO_Redo();
    DRO_ClearUndo();
    DRO_InvertAlpha_RGBA32(block.data());
    EXPECT_EQ(DRO_GetRed64(0, 0), 0);
    EXPECT_EQ(DRO_GetMask64(0, 0), 0);
    EXPECT_EQ(DRO_IsLayerTransparent(1), 1);
    EXPECT_EQ(DRO_CanUndo(), 0);
    EXPECT_EQ(block[0], 1);
    DRO_DeleteImage();
    DRO_DeleteImage();
    EXPECT_EQ(DRO_GetLayerCount(), 0);
}
