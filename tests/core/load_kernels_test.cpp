// The vector load kernels against the plain per-pixel rule: random rows of odd
// lengths at unaligned starts, every coverage class, alpha lock on and off.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/load_kernels.h"
#include "core/pixel_format.h"

namespace {

struct Row {
    std::vector<uint8_t> source;
    std::vector<uint16_t> layer;
    std::vector<uint16_t> coverage;
};

Row randomRow(std::mt19937& rng, int32_t count) {
    Row row;
    row.source.resize(static_cast<size_t>(count) * 4 + 3);
    row.layer.resize(static_cast<size_t>(count) * 4 + 3);
    row.coverage.resize(static_cast<size_t>(count) + 1);
    // Transparent, opaque and partial pixels on both sides: a quarter of all values are
    // zero, so whatever the start offset, alpha 0 is common on both sides.
    for (auto& b : row.source) b = static_cast<uint8_t>(rng() % 4 == 0 ? 0 : rng());
    for (auto& v : row.layer) v = static_cast<uint16_t>(rng() % 4 == 0 ? 0 : rng());
    for (size_t i = 0; i < row.coverage.size(); ++i) {
        // Small values too (read as a selection mask, those below 256 protect), and
        // runs of one value, which the kernels may take whole.
        const uint32_t pick = rng() % 8;
        uint16_t& c = row.coverage[i];
        if (pick >= 4 && i > 0) c = row.coverage[i - 1];
        else c = static_cast<uint16_t>(pick == 0 ? 0 : pick == 1 ? 65535 : pick == 2 ? rng() % 512 : rng() % 65536);
    }
    return row;
}

}  // namespace

TEST(LoadKernels, VectorRowsMatchThePlainRule) {
    std::mt19937 rng(2024);
    for (int trial = 0; trial < 300; ++trial) {
        const int32_t count = static_cast<int32_t>(rng() % 70);
        const int offset = static_cast<int>(rng() % 3);  // unaligned starts
        const bool locked = rng() % 2 == 1;
        Row row = randomRow(rng, count + 1);
        // Shift the source start by whole bytes, the layer by whole channels.
        const uint8_t* src = row.source.data() + offset;
        std::vector<uint16_t> fast = row.layer;
        std::vector<uint16_t> plain = row.layer;

        dro::loadRowMasked(src, fast.data() + offset, row.coverage.data(), count, locked);
        dro::loadRowMaskedPlain(src, plain.data() + offset, row.coverage.data(), count, locked);
        ASSERT_EQ(fast, plain) << "masked, count " << count << " locked " << locked;

        // The row's coverage values read as a selection mask.
        std::vector<uint16_t> coverage(row.coverage.size());
        dro::rowCoverage(nullptr, row.coverage.data(), coverage.data(), count);
        dro::loadRowMaskedBySelection(src, fast.data() + offset, row.coverage.data(), count, locked);
        dro::loadRowMaskedPlain(src, plain.data() + offset, coverage.data(), count, locked);
        ASSERT_EQ(fast, plain) << "by selection, count " << count << " locked " << locked;

        dro::loadRowUnmasked(src, fast.data() + offset, count, locked);
        dro::loadRowUnmaskedPlain(src, plain.data() + offset, count, locked);
        ASSERT_EQ(fast, plain) << "unmasked, count " << count << " locked " << locked;
    }
}

// Every mask value and texture byte alone against the per-pixel coverage rule.
TEST(LoadKernels, RowCoverageMatchesThePerPixelRuleForEveryValue) {
    std::vector<uint16_t> mask(65536);
    for (size_t i = 0; i < mask.size(); ++i) mask[i] = static_cast<uint16_t>(i);
    std::vector<uint8_t> texture(65536);
    for (size_t i = 0; i < texture.size(); ++i) texture[i] = static_cast<uint8_t>(i * 7);
    std::vector<uint16_t> coverage(mask.size());
    dro::rowCoverage(nullptr, mask.data(), coverage.data(), static_cast<int32_t>(mask.size()));
    for (size_t i = 0; i < mask.size(); ++i) ASSERT_EQ(coverage[i], dro::loadCoverage(nullptr, mask.data(), i)) << i;
    dro::rowCoverage(texture.data(), nullptr, coverage.data(), static_cast<int32_t>(texture.size()));
    for (size_t i = 0; i < 256; ++i) ASSERT_EQ(coverage[i], dro::loadCoverage(texture.data(), nullptr, i)) << i;
    dro::rowCoverage(texture.data(), mask.data(), coverage.data(), static_cast<int32_t>(mask.size()));
    for (size_t i = 0; i < mask.size(); ++i) ASSERT_EQ(coverage[i], dro::loadCoverage(texture.data(), mask.data(), i)) << i;
}

TEST(LoadKernels, CoverageOfMaskAndTexture) {
    std::vector<uint16_t> mask = {0, 0x00FF, 0x0100, 0x8000, 0xFEFF, 0xFF00, 0xFFFF};
    std::vector<uint8_t> texture = {0, 1, 64, 127, 128, 250, 4};
    std::vector<uint16_t> coverage(mask.size());
    dro::rowCoverage(nullptr, mask.data(), coverage.data(), static_cast<int32_t>(mask.size()));
    EXPECT_EQ(coverage, (std::vector<uint16_t>{0, 0, 511, 33023, 65279, 65535, 65535}));
    for (size_t i = 0; i < mask.size(); ++i) ASSERT_EQ(coverage[i], dro::loadCoverage(nullptr, mask.data(), i));

    dro::rowCoverage(texture.data(), nullptr, coverage.data(), static_cast<int32_t>(texture.size()));
    EXPECT_EQ(coverage[0], 0);
    EXPECT_EQ(coverage[2], 33023);
    EXPECT_EQ(coverage[4], 65535);
    dro::rowCoverage(texture.data(), mask.data(), coverage.data(), static_cast<int32_t>(texture.size()));
    EXPECT_EQ(coverage[3], (129u * ((255u * 65535) >> 8)) >> 8);  // texture 127, then mask 0x8000
}
