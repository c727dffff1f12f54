#include "mask/mask_fixture.h"

using MaskCombineTest = MaskFixture;

namespace {
constexpr int kW = 4, kH = 2, kStride = kW * 3 + 5;  // padded rows must be honoured
const std::vector<uint16_t> kStart{65535, 65280, 40000, 0, 300, 255, 65000, 1};
}  // namespace

TEST_F(MaskCombineTest, OperationsByExactName) {
    openCanvas(kW, kH);
    const auto white = greyRGB24(kW, kH, kStride, [](int, int) { return 255; });
    const auto grey = greyRGB24(kW, kH, kStride, [](int x, int y) { return y ? 100 : x * 10; });
    const std::vector<uint16_t> added{65535, 65280 - 2560, 40000 - 5120, 0, 0, 0, 39400, 0};
    struct Case {
        const char* name;
        const std::vector<uint8_t>& picture;
        std::vector<uint16_t> expected;
    };
    const Case cases[] = {
        {"Add", white, {255, 0, 0, 0, 0, 0, 0, 0}},  // white protects everything
        {"Add", grey, added},
        {"add", grey, added},  // names are exact; unknown ones, or none, add
        {nullptr, grey, added},
        {"Subtract", grey, {65535, 65535, 45120, 7680, 25900, 25855, 65535, 25601}},
        {"Replace", white, std::vector<uint16_t>(8, 0)},
        {"Replace", grey, {65535, 65280 - 2560, 65280 - 5120, 65280 - 7680, 39680, 39680, 39680, 39680}},
    };
    for (const Case& c : cases) {
        setMask(kStart);
        DRO_CombineMask(c.picture.data(), kStride, 0, 0, c.name);
        EXPECT_EQ(maskValues(kW, kH), c.expected) << (c.name ? c.name : "(null)");
    }
}

TEST_F(MaskCombineTest, StencilWeighsOnlyItsBlackPixels) {
    openCanvas(kW, kH);
    const std::vector<uint16_t> full(kW * kH, 65535);
    const auto stencil = greyRGB24(kW, kH, kStride, [](int x, int) { return x == 0 ? 0 : 200; });
    setMask(full);
    DRO_CombineMask(stencil.data(), kStride, 1, 100, "Add");
    EXPECT_EQ(maskValues(kW, kH), (std::vector<uint16_t>{39935, 65535, 65535, 65535, 39935, 65535, 65535, 65535}));
    // Only the value 1 turns the stencil on; 2 reads the picture as it is.
    setMask(full);
    DRO_CombineMask(stencil.data(), kStride, 2, 100, "Add");
    EXPECT_EQ(maskValues(kW, kH), (std::vector<uint16_t>{65535, 14335, 14335, 14335, 65535, 14335, 14335, 14335}));
}
