#include <algorithm>

#include "mask/mask_fixture.h"

using MaskWholeTest = MaskFixture;

TEST_F(MaskWholeTest, PictureIsTheMaskInvertedAndRoundTrips) {
    openCanvas(7, 5);
    const int stride = 7 * 3 + 4;  // padded rows
    std::vector<uint8_t> saved(stride * 5, 0x55);
    DRO_SaveMask(saved.data(), 7 * 3);
    EXPECT_TRUE(std::all_of(saved.begin(), saved.begin() + 105, [](uint8_t v) { return v == 0; }));

    // Black is fully editable, white protected, a grey of 1 already a step down.
    const auto picture = greyRGB24(7, 5, stride, [](int x, int y) {
        return y ? x * 37 + y * 91 : std::array{0, 1, 255, 9, 9, 9, 9}[x];
    });
    DRO_LoadMask(picture.data(), stride, 7, 5);
    const auto mask = maskValues(7, 5);
    EXPECT_EQ(std::vector<uint16_t>(mask.begin(), mask.begin() + 3), (std::vector<uint16_t>{65535, 65024, 0}));
    saved.assign(saved.size(), 0xEE);
    DRO_SaveMask(saved.data(), stride);
    EXPECT_EQ(saved, picture);  // padding untouched too
}

TEST_F(MaskWholeTest, InvertTwiceRestoresTheMask) {
    openCanvas(9, 4);
    std::vector<uint16_t> mask(36);
    for (size_t i = 0; i < mask.size(); ++i) mask[i] = static_cast<uint16_t>(i * 1871 + 3);
    setMask(mask);
    DRO_InvertMask();
    EXPECT_EQ(maskValues(9, 4)[5], 65535 - mask[5]);
    DRO_InvertMask();
    EXPECT_EQ(maskValues(9, 4), mask);
}

TEST_F(MaskWholeTest, LoadIgnoresThePartBeyondTheCanvas) {
    openCanvas(4, 3);
    // White on the canvas part; the black columns 4, 5 must not spill into the next
    // mask row, rows 3, 4 must not be written (the sanitizer build sees those).
    const auto picture = greyRGB24(6, 5, 18, [](int x, int) { return x < 4 ? 255 : 0; });
    DRO_LoadMask(picture.data(), 18, 6, 5);
    EXPECT_EQ(maskValues(4, 3), std::vector<uint16_t>(12, 0));
}
