#include "imaging/lib/codecs/byte_reader.h"
#include "imaging/lib/codecs/tga_codec.h"
#include "imaging/codecs/own_codec_support.h"

using namespace owncodec;
using namespace dro::codecs;

namespace {

std::vector<uint8_t> tgaHeader(uint8_t type, uint16_t w, uint16_t h, uint8_t depth, uint8_t descriptor,
                               uint16_t mapLength = 0, uint8_t mapBits = 0) {
    std::vector<uint8_t> b;
    putU8(b, 0);
    putU8(b, mapLength ? 1 : 0);
    putU8(b, type);
    putU16LE(b, 0);
    putU16LE(b, mapLength);
    putU8(b, mapBits);
    putU32LE(b, 0);
    putU16LE(b, w);
    putU16LE(b, h);
    putU8(b, depth);
    putU8(b, descriptor);
    return b;
}

std::vector<uint8_t> joined(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(TgaCodecTest, MatchesImageMagickWithAndWithoutRunLength) {
    if (!haveTool("convert")) GTEST_SKIP() << "ImageMagick not installed";
    const int w = 41, h = 17;
    auto src = pattern(w, h, 4, 5);
    for (int i = 0; i < 200; ++i) std::fill_n(&src[i * 4], 4, 77);  // long runs for the RLE packets
    struct Variant {
        const char* options;
        uint8_t type, depth;
    };
    const Variant variants[] = {
        {"-compress None", 2, 32},
        {"-compress RLE", 10, 32},
        {"-alpha off -compress None", 2, 24},
        {"-alpha off -compress RLE", 10, 24},
        {"-alpha off -compress None -type Palette", 1, 8},
        {"-alpha off -compress RLE -type Palette", 9, 8},
        {"-alpha off -compress None -type Grayscale", 3, 8},
        {"-alpha off -compress RLE -type Grayscale", 11, 8},
    };
    for (const auto& v : variants) {
        SCOPED_TRACE(v.options);
        const auto path = scratch("magick.tga");
        ASSERT_TRUE(magickMake(src, w, h, v.options, "TGA:" + path.string()));
        const auto bytes = readBytes(path);
        ASSERT_GE(bytes.size(), 18u);
        EXPECT_EQ(bytes[2], v.type);
        EXPECT_EQ(bytes[16], v.depth);
        const auto ours = decodeTga(bytes);
        const auto theirs = magickRgba(path, w, h, "-auto-orient");
        ASSERT_TRUE(ours && theirs);
        EXPECT_EQ(ours->pixels, *theirs);
        survivesDamage(bytes, [](ByteSpan b) { return decodeTga(b); });
    }
}

TEST(TgaCodecTest, AllFourOriginsPlaceTheFirstPixel) {
    // 2 x 2 grey, pixels stored 10, 20, 30, 40. Descriptor bits 4 (right to left), 5 (top).
    const std::vector<uint8_t> data = {10, 20, 30, 40};
    struct Case {
        uint8_t descriptor;
        std::vector<uint8_t> topDownValues;
    };
    const Case cases[] = {{0x00, {30, 40, 10, 20}}, {0x10, {40, 30, 20, 10}}, {0x20, {10, 20, 30, 40}},
                          {0x30, {20, 10, 40, 30}}};
    for (const auto& c : cases) {
        const auto img = decodeTga(joined(tgaHeader(3, 2, 2, 8, c.descriptor), data));
        ASSERT_TRUE(img);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(img->pixels[i * 4], c.topDownValues[i]) << int(c.descriptor) << " " << i;
    }
}

TEST(TgaCodecTest, SixteenBitColoursMapsAndAlphaBits) {
    // 0x7C00 is pure red in 5-5-5; bit 15 is alpha only when the descriptor names one bit.
    const std::vector<uint8_t> px = {0x00, 0x7C, 0x1F, 0x80};
    auto img = decodeTga(joined(tgaHeader(2, 2, 1, 16, 0x21), px));
    ASSERT_TRUE(img);
    EXPECT_EQ((std::vector<uint8_t>(img->pixels.begin(), img->pixels.end())),
              (std::vector<uint8_t>{255, 0, 0, 0, 0, 0, 255, 255}));
    img = decodeTga(joined(tgaHeader(2, 2, 1, 15, 0x20), px));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->pixels[3], 255);
    EXPECT_EQ(img->pixels[7], 255);

    // Colour map of two 24-bit entries; index 5 lies outside it and reads as black.
    const std::vector<uint8_t> mapped = joined(joined(tgaHeader(1, 3, 1, 8, 0x20, 2, 24), {0, 0, 255, 0, 255, 0}),
                                               {1, 0, 5});
    img = decodeTga(mapped);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->pixels, (std::vector<uint8_t>{0, 255, 0, 255, 255, 0, 0, 255, 0, 0, 0, 255}));

    // 32-bit with no attribute bits: an all-zero alpha byte is filler.
    img = decodeTga(joined(tgaHeader(2, 1, 1, 32, 0x20), {1, 2, 3, 0}));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->pixels, (std::vector<uint8_t>{3, 2, 1, 255}));
    img = decodeTga(joined(tgaHeader(2, 1, 1, 32, 0x28), {1, 2, 3, 0}));
    EXPECT_EQ(img->pixels[3], 0);
}

TEST(TgaCodecTest, RunLengthPacketsMayCrossRowsButNotTheEnd) {
    // 3 x 2 grey, RLE: a run of 4 (crosses into row 2), then 2 raw pixels.
    const auto good = joined(tgaHeader(11, 3, 2, 8, 0x20), {0x83, 9, 0x01, 7, 8});
    const auto img = decodeTga(good);
    ASSERT_TRUE(img);
    const uint8_t expected[] = {9, 9, 9, 9, 7, 8};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(img->pixels[i * 4], expected[i]);
    // Truncated packet data and a run that is longer than the picture.
    EXPECT_FALSE(decodeTga(joined(tgaHeader(11, 3, 2, 8, 0x20), {0x83, 9, 0x01, 7})));
    EXPECT_TRUE(decodeTga(joined(tgaHeader(11, 3, 2, 8, 0x20), {0xFF, 1})));
    // Bombs and nonsense.
    EXPECT_FALSE(decodeTga(joined(tgaHeader(10, 65535, 65535, 32, 0x28), {0xFF, 1, 2, 3, 4})));
    EXPECT_FALSE(decodeTga(joined(tgaHeader(2, 100, 100, 24, 0x20), std::vector<uint8_t>(100))));
    EXPECT_FALSE(decodeTga(joined(tgaHeader(2, 1, 1, 12, 0x20), {1, 2})));
    EXPECT_FALSE(decodeTga(joined(tgaHeader(1, 1, 1, 8, 0x20), {0})));  // mapped without a map
    EXPECT_FALSE(decodeTga(joined(tgaHeader(7, 1, 1, 8, 0x20), {0})));
    EXPECT_FALSE(decodeTga({}));
    survivesDamage(good, [](ByteSpan b) { return decodeTga(b); });
}

TEST(TgaCodecTest, WritersRoundTripRowByRowAndAreReadByOthers) {
    const int w = 23, h = 9;
    const auto rgba = pattern(w, h, 4, 11);
    const auto rgb = pattern(w, h, 3, 11);
    std::vector<uint8_t> f32, f24, rows;
    ASSERT_TRUE(writeWith(scratch("w32.tga"), [&](FileDest d) { return writeTga(d, rgba.data(), w, h, 4, 32); }, f32));
    ASSERT_TRUE(writeWith(scratch("w24.tga"), [&](FileDest d) { return writeTga(d, rgb.data(), w, h, 3, 24); }, f24));
    ASSERT_TRUE(writeWith(scratch("rows.tga"), [&](FileDest d) {
        auto writer = startTgaRows(d, w, h, 4, 32);
        if (!writer || writer->rowOrderBottomUp()) return false;
        for (int y = 0; y < h; ++y)
            if (!writer->writeRow(&rgba[size_t(y) * w * 4])) return false;
        return writer->finish();
    }, rows));
    EXPECT_EQ(rows, f32);
    EXPECT_EQ(f32[17], 0x28);  // top-left origin, 8 attribute bits
    const auto a = decodeTga(f32), b = decodeTga(f24);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->pixels, rgba);
    for (size_t i = 0; i < size_t(w) * h; ++i)
        for (int c = 0; c < 3; ++c) ASSERT_EQ(b->pixels[i * 4 + c], rgb[i * 3 + c]);
    EXPECT_EQ(readTgaInfo(f24)->width, w);

    FILE* f = std::tmpfile();
    EXPECT_EQ(startTgaRows(FileDest{f}, 70000, 2, 4, 32), nullptr);  // beyond the 16-bit header
    EXPECT_EQ(startTgaRows(FileDest{f}, w, h, 4, 16), nullptr);
    std::fclose(f);

    if (!haveTool("identify")) GTEST_SKIP() << "ImageMagick not installed";
    EXPECT_EQ(identify(scratch("w32.tga")), "TGA 23 9");
    const auto theirs = magickRgba(scratch("w32.tga"), w, h);
    ASSERT_TRUE(theirs);
    EXPECT_EQ(*theirs, rgba);
}
