#include "mask/mask_fixture.h"
#include "core/mask_state.h"
#include "undo/undo_store.h"

using MaskRobustnessTest = MaskFixture;

namespace {

// Every mask export once, on the given blocks or null: RGBA32 of a 4 x 4 canvas plus
// one pixel, RGB24 and flood map of that canvas; extreme sizes and tolerances.
void callEveryMaskExport(uint8_t* rgba, uint8_t* rgb, uint8_t* map) {
    constexpr int32_t kMin = -2147483647 - 1, kMax = 2147483647;
    DRO_InvertMask();
    DRO_ClearMask(25600, 25600, 25600);
    DRO_SaveMask(rgb, 12);
    DRO_LoadMask(rgb, 12, kMax, kMax);
    DRO_CombineMask(rgb, 12, 1, kMax, "Replace");
    DRO_CreateMaskFromImage();
    DRO_CreateMaskFromImageLuma();
    DRO_CreateMaskFromAlpha();
    DRO_CreateMaskFromDiff_RGBA32(rgba, rgba + 4, 5);
    DRO_CreateMaskFromFloodMask(map, 3);
    DRO_CreateMaskFromRGBAImageColor(rgba, 0, 0, 0, kMin);
    DRO_CreateMaskFromRGB24ImageColor(rgb, 0, 0, 0, 3);
    DRO_CreateMaskFromRGBAImageColorRange(rgba, 0, 0, 0, kMax, 3);
    DRO_CreateMaskFromRGBAImageAlphaRange(rgba, 0, kMin, 3);
    DRO_CreateMaskFromRGBAImageLuminanceRange(rgba, kMax, kMax, kMax, 100, 3);
    DRO_CreateMaskFromRGBAImageHueRange(rgba, 0, 0, 0, kMax, 3);
    DRO_CreateMaskFromRGBAImageHSLRange(rgba, 1, 2, 3, 1e300, -1.0, 0.5, 3);
    DRO_CreateImageFromMask();
    for (int kind : {0, 1, 2}) DRO_CreateAlphaFromMask(kind);
    DRO_ApplyMaskToAlphaRect_RGBA32(rgba, 16, -1, -2, 2, 1);  // the 4 x 4 block half off the canvas
    DRO_ApplyMaskToAlphaRect_RGBA32(rgba, 16, kMax, kMax, kMin, kMin);
    DRO_ApplyMaskToAlpha_RGBA32(rgba);
    DRO_ColorRGBA32FromFloodMask(rgba, map, 1, 2, 3, 4);
    DRO_ReplaceFromRGBAImageAlphaRange(rgba, 0, 100, 1, 2, 3, 4);
    // Conversions take their own sizes; none that are not positive (-1 x -2 would count).
    DRO_RGBAToRGB(rgb, -1, -2, rgba);
    DRO_RGBToRGBAlpha(rgba, 0, 4, rgb);
}

}  // namespace

TEST_F(MaskRobustnessTest, NothingHappensBeforeACanvasExists) {
    std::vector<uint8_t> rgba(68, 0), rgb(48, 0), map(16, 1);
    const auto before = std::make_tuple(rgba, rgb, map);
    callEveryMaskExport(rgba.data(), rgb.data(), map.data());
    EXPECT_EQ(std::make_tuple(rgba, rgb, map), before);
    EXPECT_EQ(dro::undoStore().dirtyRect, dro::Rect{});
}

TEST_F(MaskRobustnessTest, NullBlocksAndMissingLayersLeaveTheMaskAlone) {
    DRO_CreateImage(nullptr, 4, 4, 16, 0);  // no layer yet
    callEveryMaskExport(nullptr, nullptr, nullptr);
    DRO_CombineMask(nullptr, 12, 0, 0, nullptr);
    // Only the whole-mask operations that need no block ran: clear, then invert.
    DRO_InvertMask();
    EXPECT_EQ(maskValues(4, 4), std::vector<uint16_t>(16, 65535 - (65280 - 25600)));
}

TEST_F(MaskRobustnessTest, EveryCallStaysInBoundsWithAndWithoutTheMask) {
    std::vector<uint8_t> rgba(68, 0), rgb(48, 0), map(16, 1);
    openCanvas(4, 4);
    callEveryMaskExport(rgba.data(), rgb.data(), map.data());  // the sanitizer build checks the accesses
    DRO_DeleteImage();
    ASSERT_EQ(dro::maskState().plane, nullptr);
    callEveryMaskExport(rgba.data(), rgb.data(), map.data());
}
