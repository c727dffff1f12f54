#include <cstring>
#include <random>

#include "core/canvas.h"
#include "core/row_codecs.h"
#include "support/engine_fixture.h"

using RowCodecTest = EngineTest;

TEST_F(RowCodecTest, RunsIgnoreLowBytesAndAreCutAt255) {
    std::vector<uint16_t> row(600 * 4);
    for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<uint16_t>(0x1200 | (i & 0xFF));
    std::vector<uint8_t> code(600 * 5);
    ASSERT_EQ(DRO_RLECompressRGBA64ToRGBA32(row.data(), code.data(), 600), 15);
    EXPECT_EQ(code[0], 255);
    EXPECT_EQ(code[5], 255);
    EXPECT_EQ(code[10], 90);
    EXPECT_EQ(code[11], 0x12);

    std::vector<uint16_t> mask(1000, 0xFFFF);
    std::vector<uint8_t> maskCode(2000);
    ASSERT_EQ(DRO_RLECompressG16ToG8(mask.data(), maskCode.data(), 1000), 8);
    EXPECT_EQ((std::vector<uint8_t>(maskCode.begin(), maskCode.begin() + 8)),
              (std::vector<uint8_t>{255, 255, 255, 255, 255, 255, 235, 255}));
}

TEST_F(RowCodecTest, ShortRowsWriteOneRecord) {
    const uint16_t px[4] = {0x0100, 0x0200, 0x0300, 0x0400};
    uint8_t code[5] = {};
    EXPECT_EQ(DRO_RLECompressRGBA64ToRGBA32(px, code, 1), 5);
    EXPECT_EQ(DRO_RLECompressRGBA64ToRGBA32(px, code, 0), 5);
    EXPECT_EQ((std::vector<uint8_t>(code, code + 5)), (std::vector<uint8_t>{1, 1, 2, 3, 4}));
    EXPECT_EQ(DRO_RLECompressRGBA64ToRGBA32(nullptr, code, 1), 0);
    EXPECT_EQ(DRO_RLECompressG16ToG8(px, nullptr, 1), 0);
}

TEST_F(RowCodecTest, DecodingStopsAtTheCountAndAtARunOfZero) {
    const uint8_t code[] = {3, 10, 20, 30, 40};
    std::vector<uint16_t> out(3 * 4, 7);
    DRO_RLEUncompressRGBA32ToRGBA64(code, out.data(), 2);
    EXPECT_EQ((std::vector<uint16_t>(out.begin(), out.begin() + 8)),
              (std::vector<uint16_t>{2560, 5120, 7680, 10240, 2560, 5120, 7680, 10240}));
    EXPECT_EQ(out[8], 7);

    // A run of 0 is no record: the row ends there, whatever follows it.
    const uint8_t withEmpty[] = {1, 3, 3, 3, 3, 0, 9, 9, 9, 9, 2, 1, 1, 1, 1};
    DRO_RLEUncompressRGBA32ToRGBA64(withEmpty, out.data(), 2);
    EXPECT_EQ((std::vector<uint16_t>(out.begin(), out.begin() + 8)),
              (std::vector<uint16_t>{768, 768, 768, 768, 2560, 5120, 7680, 10240}));

    const uint8_t maskCode[] = {2, 9, 0, 5, 200, 1};
    std::vector<uint16_t> values(3, 7);
    DRO_RLEUncompressG8ToG16(maskCode, values.data(), 3);
    EXPECT_EQ(values, (std::vector<uint16_t>{9 << 8, 9 << 8, 7}));
    DRO_RLEUncompressG8ToG16(maskCode, values.data(), 0);
    DRO_RLEUncompressG8ToG16(nullptr, values.data(), 3);
}

TEST_F(RowCodecTest, BoundedDecodingNeverReadsPastTheCode) {
    const uint8_t code[] = {1, 5, 5, 5, 5, 1, 6};  // a truncated second record
    std::vector<uint16_t> out(3 * 4, 7);
    dro::decodeRGBA32Row(code, sizeof code, out.data(), 3);
    EXPECT_EQ(out[0], 5 << 8);
    EXPECT_EQ(out[4], 7);
}

TEST_F(RowCodecTest, LayerAndMaskRowsRoundTripAtHighBytes) {
    openCanvas(300, 3, 2, 2);
    std::mt19937 rng(3);
    std::vector<uint16_t> plane(300 * 3 * 4);
    for (size_t i = 0; i < plane.size(); ++i) plane[i] = static_cast<uint16_t>(i < 600 ? 0x4242 : rng());
    DRO_SetRGBA64Layer(plane.data(), 300 * 8, 2);
    std::vector<uint8_t> code(300 * 5);
    for (int row = 0; row < 3; ++row) {
        const int32_t bytes = DRO_GetRGBA32LayerLineRLE(code.data(), 2, row);
        ASSERT_GT(bytes, 0);
        DRO_PutRGBA32LayerLineRLE(code.data(), 1, row);
    }
    const auto copy = layerPixels(1, 300, 3);
    for (size_t i = 0; i < plane.size(); ++i) ASSERT_EQ(copy[i], plane[i] & 0xFF00) << i;
    EXPECT_EQ(DRO_GetRGBA32LayerLineRLE(code.data(), 2, 0), 5 * 151);  // one run of 150, then 150 random
    EXPECT_EQ(DRO_GetRGBA32LayerLineRLE(code.data(), 9, 0), 0);
    EXPECT_EQ(DRO_GetRGBA32LayerLineRLE(code.data(), 2, 3), 0);  // no such row

    std::vector<uint16_t> mask(300 * 3);
    for (auto& m : mask) m = static_cast<uint16_t>(rng() % 3 * 0x7FFF);
    DRO_SetMaskData16(mask.data());
    std::vector<uint8_t> maskCode(600);
    const int32_t bytes = DRO_GetMaskLineRLE(maskCode.data(), 1);
    ASSERT_GT(bytes, 0);
    DRO_PutMaskLineRLE(maskCode.data(), 0);
    const auto back = maskValues(300, 3);
    for (int i = 0; i < 300; ++i) ASSERT_EQ(back[i], mask[300 + i] & 0xFF00);
}

TEST_F(RowCodecTest, CompressedLayerRoundTrip) {
    openCanvas(40, 30, 3, 2);
    auto block = randomRGBA32(40, 30, 8);
    for (size_t i = 3; i < block.size(); i += 40) block[i] = 0;  // some transparent pixels
    DRO_LoadRGBA32Layer(block.data(), 160, 2, 0, 0, 40, 30, 0);
    std::vector<uint8_t> stream(40 * 30 * 4 + 1024);
    const int32_t size = DRO_GetRGBA32LayerCompressed(stream.data(), 0, static_cast<int32_t>(stream.size()), 2, 6);
    ASSERT_GT(size, 0);
    DRO_LoadRGBA32LayerCompressed(stream.data(), 0, size, 3);
    EXPECT_EQ(layerPixels(3, 40, 30), layerPixels(2, 40, 30));

    // Too little room to compress reports 0; empty slots do nothing.
    EXPECT_EQ(DRO_GetRGBA32LayerCompressed(stream.data(), 0, 10, 2, 6), 0);
    EXPECT_EQ(DRO_GetRGBA32LayerCompressed(stream.data(), 0, 1 << 20, 7, 6), 0);
}

TEST_F(RowCodecTest, CorruptOrMisSizedStreamsLoadNothing) {
    openCanvas(16, 16, 3, 2);
    std::vector<uint8_t> stream(16 * 16 * 4 + 256);
    const int32_t size = DRO_GetRGBA32LayerCompressed(stream.data(), 0, static_cast<int32_t>(stream.size()), 1, 9);
    ASSERT_GT(size, 0);
    const auto before = layerPixels(3, 16, 16);

    std::vector<uint8_t> corrupt(stream.begin(), stream.begin() + size);
    corrupt[size / 2] ^= 0x5A;
    DRO_LoadRGBA32LayerCompressed(corrupt.data(), 0, size, 3);
    DRO_LoadRGBA32LayerCompressed(stream.data(), 0, size / 2, 3);  // truncated
    std::vector<uint8_t> badChecksum(stream.begin(), stream.begin() + size);
    badChecksum[size - 1] ^= 1;  // only the Adler-32 trailer differs
    DRO_LoadRGBA32LayerCompressed(badChecksum.data(), 0, size, 3);
    EXPECT_EQ(layerPixels(3, 16, 16), before);

    ASSERT_EQ(DRO_CreateLayer(3, 8, 8), 1);  // a stream of another size
    DRO_LoadRGBA32LayerCompressed(stream.data(), 0, size, 3);
    for (uint16_t v : layerPixels(3, 8, 8)) ASSERT_EQ(v, 0);
    DRO_LoadRGBA32LayerCompressed(nullptr, 0, size, 3);
    DRO_LoadRGBA32LayerCompressed(stream.data(), 0, -5, 3);
}
