#include "imaging/color/buffer_adjust.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "drovane.h"
#include "support/engine_fixture.h"

namespace {

using Block = std::vector<uint8_t>;

Block pixels(std::initializer_list<std::array<uint8_t, 4>> list) {
    Block out;
    for (const auto& p : list) out.insert(out.end(), p.begin(), p.end());
    return out;
}

int maxDiff(const Block& a, const Block& b) {
    int m = 0;
    for (size_t i = 0; i < a.size(); ++i) m = std::max(m, std::abs(a[i] - b[i]));
    return m;
}

class ColourBufferAdjust : public EngineTest {};

TEST_F(ColourBufferAdjust, HueTurnsPrimariesAndKeepsAlpha) {
    for (auto adjust : {&DRO_ProcessBuffer_HSLAdjust, &DRO_ProcessBuffer_HSVAdjust}) {
        Block b = pixels({{255, 0, 0, 17}, {0, 255, 0, 200}});
        adjust(b.data(), 2, 1, 120, 0, 0);
        EXPECT_EQ(b, pixels({{0, 255, 0, 17}, {0, 0, 255, 200}}));
        adjust(b.data(), 2, 1, -240, 0, 0);  // -240 is +120 once wrapped
        EXPECT_EQ(b, pixels({{0, 0, 255, 17}, {255, 0, 0, 200}}));
    }
}

TEST_F(ColourBufferAdjust, SaturationAndLightnessReachTheirLimits) {
    Block b = pixels({{200, 100, 50, 9}});
    DRO_ProcessBuffer_HSLAdjust(b.data(), 1, 1, 0, -100, 0);
    EXPECT_TRUE(b[0] == b[1] && b[1] == b[2] && b[3] == 9);
    b = pixels({{200, 100, 50, 9}});
    DRO_ProcessBuffer_HSLAdjust(b.data(), 1, 1, 0, 0, 100);
    EXPECT_EQ(b, pixels({{255, 255, 255, 9}}));
    DRO_ProcessBuffer_HSLAdjust(b.data(), 1, 1, 0, 0, -300);
    EXPECT_EQ(b, pixels({{0, 0, 0, 9}}));
    b = pixels({{200, 100, 50, 9}});
    DRO_ProcessBuffer_HSVAdjust(b.data(), 1, 1, 0, 0, 100);
    EXPECT_EQ(b[0], 255);
}

TEST_F(ColourBufferAdjust, GreyKeepsItsGreyInHsv) {
    Block b = pixels({{100, 100, 100, 1}});
    DRO_ProcessBuffer_HSVAdjust(b.data(), 1, 1, 77, 100, 10);
    // V = 100/255 + 0.1 -> 125.5 truncated; no hue or saturation appears.
    EXPECT_EQ(b, pixels({{125, 125, 125, 1}}));
}

TEST_F(ColourBufferAdjust, ZeroShiftsAndWholeTurnsChangeAtMostALevel) {
    const Block original = randomRGBA32(31, 7, 3);
    for (auto adjust : {&DRO_ProcessBuffer_HSLAdjust, &DRO_ProcessBuffer_HSVAdjust}) {
        Block b = original;
        adjust(b.data(), 31, 7, 0, 0, 0);
        EXPECT_LE(maxDiff(b, original), 1);
        for (size_t i = 3; i < b.size(); i += 4) ASSERT_EQ(b[i], original[i]);
        // Shifts of more than a turn act like their remainder, and never wrap a byte.
        for (int turns : {400, -1000, 3600}) {
            Block far = original, near = original;
            adjust(far.data(), 31, 7, turns, 0, 0);
            adjust(near.data(), 31, 7, ((turns % 360) + 360) % 360, 0, 0);
            EXPECT_LE(maxDiff(far, near), 1) << turns;
        }
    }
}

TEST_F(ColourBufferAdjust, BadArgumentsDoNothing) {
    Block b = pixels({{1, 2, 3, 4}});
    const Block before = b;
    for (auto adjust : {&DRO_ProcessBuffer_HSLAdjust, &DRO_ProcessBuffer_HSVAdjust}) {
        adjust(nullptr, 4, 4, 10, 10, 10);
        adjust(b.data(), 0, 1, 10, 10, 10);
        adjust(b.data(), 1, -1, 10, 10, 10);
        adjust(b.data(), -5, -5, 10, 10, 10);
    }
    EXPECT_EQ(b, before);
}

}  // namespace
