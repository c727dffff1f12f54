#include <algorithm>
#include <cmath>

#include "core/canvas.h"
#include "mask/mask_fixture.h"

using MaskBuilderTest = MaskFixture;

namespace {

// True where a builder wrote into a mask that was all 65535.
std::vector<bool> written(const std::vector<uint16_t>& mask) {
    std::vector<bool> out;
    for (uint16_t m : mask) out.push_back(m != 65535);
    return out;
}

// Textbook HSL, the reference for the HSL range.
struct RefHsl {
    double h, s, l;
};
RefHsl textbookHsl(int r8, int g8, int b8) {
    const double r = r8 / 255.0, g = g8 / 255.0, b = b8 / 255.0;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b}), d = mx - mn;
    const double l = (mx + mn) / 2;
    if (d == 0) return {0, 0, l};
    const double h = mx == r ? (g - b) / d + (g < b ? 6 : 0) : mx == g ? (b - r) / d + 2 : (r - g) / d + 4;
    return {h * 60, l > 0.5 ? d / (2 - mx - mn) : d / (mx + mn), l};
}

}  // namespace

TEST_F(MaskBuilderTest, ColourAndRangeBuildersWriteTheSetValue) {
    openCanvas(4, 1);
    const auto img = rgba32({{125, 100, 100, 0}, {126, 100, 100, 0}, {100, 75, 125, 0}, {74, 100, 100, 0}});
    DRO_CreateMaskFromRGBAImageColor(img.data(), 100, 75, 125, 0);
    EXPECT_EQ(maskValues(4, 1), (std::vector<uint16_t>{65535, 65535, 65280, 65535}));  // amount 0 is not 65535

    // 10 % is 25 in 8-bit units (25.6 truncated).
    DRO_CreateMaskFromRGBAImageColorRange(img.data(), 100, 100, 100, 10, 255);
    EXPECT_EQ(maskValues(4, 1), (std::vector<uint16_t>{0, 65535, 0, 65535}));
}

TEST_F(MaskBuilderTest, HueRangeSeesGreyOneDegreeBelowRed) {
    openCanvas(5, 1);
    const auto img = rgba32({{50, 50, 50, 255}, {255, 255, 255, 0}, {255, 0, 0, 255}, {0, 255, 0, 255},
                             {200, 100, 50, 255}});
    DRO_CreateMaskFromRGBAImageHueRange(img.data(), 9, 9, 9, 0, 0);  // a grey key takes only greys
    EXPECT_EQ(written(maskValues(5, 1)), (std::vector<bool>{true, true, false, false, false}));
    DRO_ClearMask(0, 0, 0);
    DRO_CreateMaskFromRGBAImageHueRange(img.data(), 255, 0, 0, 0, 0);
    EXPECT_EQ(written(maskValues(5, 1)), (std::vector<bool>{false, false, true, false, false}));
    DRO_CreateMaskFromRGBAImageHueRange(img.data(), 255, 0, 0, 1, 0);  // 1 % = 1 degree
    EXPECT_EQ(written(maskValues(5, 1)), (std::vector<bool>{true, true, true, false, false}));

    // 100 % is half a turn: every pixel, grey or not, whatever the key.
    auto noise = randomRGBA32(16, 16, 7);
    noise[1] = noise[2] = noise[0];  // one grey
    DRO_NewSize(nullptr, 16, 16, 16, 0);
    for (int key : {0, 90, 200}) {
        DRO_ClearMask(0, 0, 0);
        DRO_CreateMaskFromRGBAImageHueRange(noise.data(), key, 255 - key, 40, 100, 255);
        EXPECT_EQ(maskValues(16, 16), std::vector<uint16_t>(256, 0)) << key;
    }
}

TEST_F(MaskBuilderTest, OnlyTheHueRangeTruncatesItsToleranceToDegrees) {
    openCanvas(2, 1);
    const auto img = rgba32({{200, 65, 0, 255}, {200, 63, 0, 255}});      // hues 19.5 and 18.9
    DRO_CreateMaskFromRGBAImageHueRange(img.data(), 255, 0, 0, 11, 0);  // 19.8 -> 19 degrees
    EXPECT_EQ(written(maskValues(2, 1)), (std::vector<bool>{false, true}));
    DRO_ClearMask(0, 0, 0);
    DRO_CreateMaskFromRGBAImageHSLRange(img.data(), 255, 0, 0, 0.11, 1.0, 1.0, 0);
    EXPECT_EQ(written(maskValues(2, 1)), (std::vector<bool>{true, true}));
}

TEST_F(MaskBuilderTest, HslRangeAgreesWithTextbookHsl) {
    constexpr int kN = 24 * 24;
    openCanvas(24, 24);
    auto img = randomRGBA32(24, 24, 99);
    for (int i = 0; i < 24; ++i) img[i * 4 + 1] = img[i * 4 + 2] = img[i * 4];  // a row of greys
    const double tol[3] = {0.1234567 * 180, 0.2345678, 0.3456789};
    for (const auto& key : {std::array{200, 40, 90}, {30, 160, 70}, {128, 128, 128}, {10, 20, 250}}) {
        DRO_ClearMask(0, 0, 0);
        DRO_CreateMaskFromRGBAImageHSLRange(img.data(), key[0], key[1], key[2], 0.1234567, tol[1], tol[2], 255);
        const auto mask = maskValues(24, 24);
        const RefHsl k = textbookHsl(key[0], key[1], key[2]);
        int selected = 0, checked = 0;
        for (int i = 0; i < kN; ++i) {
            const RefHsl p = textbookHsl(img[i * 4], img[i * 4 + 1], img[i * 4 + 2]);
            const double dh = std::abs(p.h - k.h);
            const double d[3] = {std::min(dh, 360 - dh), std::abs(p.s - k.s), std::abs(p.l - k.l)};
            bool onEdge = false, inside = true;
            for (int c = 0; c < 3; ++c) {
                onEdge |= std::abs(d[c] - tol[c]) < 1e-6;  // may go either way with rounding
                inside &= d[c] < tol[c];
            }
            if (onEdge) continue;
            ASSERT_EQ(mask[i] == 0, inside) << "pixel " << i << " key " << key[0] << "," << key[1];
            selected += inside;
            ++checked;
        }
        EXPECT_GT(checked, kN - 4);
        EXPECT_GT(selected, 0);
        EXPECT_LT(selected, checked);
    }
}

TEST_F(MaskBuilderTest, LayerOperationsWalkOnlyWhereTheLayerMeetsTheCanvas) {
    openCanvas(4, 4, 2, 2);
    ASSERT_EQ(DRO_CreateLayer(2, 2, 3), 1);  // smaller than the canvas, transparent
    DRO_CreateMaskFromAlpha();
    const auto mask = maskValues(4, 4);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(mask[i], i % 4 < 2 && i < 12 ? 0 : 65535) << i;

    ASSERT_EQ(DRO_CreateLayer(2, 6, 5), 1);  // larger: its own row pitch, cut to the canvas
    DRO_ClearMask(0, 0, 0);
    DRO_CreateImageFromMask();
    const auto& slot = dro::canvas().layerSlots[2];
    EXPECT_EQ(slot.pixels[(3 * 6 + 3) * 4 + 3], 65535);  // (3, 3) on the canvas
    EXPECT_EQ(slot.pixels[(0 * 6 + 4) * 4 + 3], 0);      // (4, 0) beyond it
}
