#include "imaging/lib/codecs/byte_reader.h"
#include "imaging/lib/codecs/pcx_codec.h"
#include "imaging/codecs/own_codec_support.h"

using namespace owncodec;
using namespace dro::codecs;

namespace {

std::vector<uint8_t> pcxHeader(uint16_t w, uint16_t h, uint8_t bits, uint8_t planes, uint16_t bytesPerLine,
                               uint8_t encoding = 1) {
    std::vector<uint8_t> b = {10, 5, encoding, bits};
    putU16LE(b, 0);
    putU16LE(b, 0);
    putU16LE(b, w - 1u);
    putU16LE(b, h - 1u);
    putU16LE(b, 96);
    putU16LE(b, 96);
    for (int i = 0; i < 16; ++i) {  // header palette: entry i = (16 i, 0, 255 - 16 i)
        putU8(b, 16u * i);
        putU8(b, 0);
        putU8(b, 255u - 16u * i);
    }
    putU8(b, 0);
    putU8(b, planes);
    putU16LE(b, bytesPerLine);
    b.resize(128, 0);
    return b;
}

std::vector<uint8_t> joined(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(PcxCodecTest, MatchesImageMagick) {
    if (!haveTool("convert")) GTEST_SKIP() << "ImageMagick not installed";
    const int w = 33, h = 13;  // odd width: bytes per line is padded
    const auto src = pattern(w, h, 4, 2);
    struct Variant {
        const char* options;
        uint8_t bits, planes;
    };
    const Variant variants[] = {
        {"-alpha off -type TrueColor", 8, 3},
        {"-alpha off -type Palette", 8, 1},
        {"-alpha off -colors 2 -type Palette", 8, 1},  // it writes no 1-bit PCX
    };
    for (const auto& v : variants) {
        SCOPED_TRACE(v.options);
        const auto path = scratch("magick.pcx");
        ASSERT_TRUE(magickMake(src, w, h, v.options, "PCX:" + path.string()));
        const auto bytes = readBytes(path);
        ASSERT_GE(bytes.size(), 128u);
        EXPECT_EQ(bytes[3], v.bits);
        EXPECT_EQ(bytes[65], v.planes);
        const auto ours = decodePcx(bytes);
        const auto theirs = magickRgba(path, w, h);
        ASSERT_TRUE(ours && theirs);
        EXPECT_EQ(ours->pixels, *theirs);
        survivesDamage(bytes, [](ByteSpan b) { return decodePcx(b); });
    }
}

TEST(PcxCodecTest, PlanarAndPackedPalettesAndPlainData) {
    // 1 bit x 4 planes (EGA), 3 x 1: plane p holds bit p of each index. Indices 1, 6, 15.
    const std::vector<uint8_t> planes = {0b10100000, 0, 0b01100000, 0, 0b01100000, 0, 0b00100000, 0};
    auto img = decodePcx(joined(pcxHeader(3, 1, 1, 4, 2, 0), planes));
    ASSERT_TRUE(img);
    const int indices[] = {1, 6, 15};
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(img->pixels[x * 4], 16 * indices[x]) << x;
        EXPECT_EQ(img->pixels[x * 4 + 2], 255 - 16 * indices[x]) << x;
    }
    // 1 bit x 1 plane is black and white whatever the header palette says: 0b10110000.
    img = decodePcx(joined(pcxHeader(4, 1, 1, 1, 2), {0xB0, 0x00}));
    ASSERT_TRUE(img);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(img->pixels[x * 4 + 2], x == 1 ? 0 : 255) << x;
    // 4 bits x 1 plane, run-length: 0xC2 0x3A repeats the byte 0x3A twice: 3, 10, 3, 10.
    img = decodePcx(joined(pcxHeader(4, 1, 4, 1, 2), {0xC2, 0x3A}));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->pixels[0], 48);
    EXPECT_EQ(img->pixels[4], 160);
    // 8 bits without the trailing palette: grey.
    img = decodePcx(joined(pcxHeader(2, 1, 8, 1, 2), {0x05, 0xC1, 0xF0}));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->pixels, (std::vector<uint8_t>{5, 5, 5, 255, 240, 240, 240, 255}));
    // The same with a 256-colour palette after the 0x0C marker.
    std::vector<uint8_t> palette(769, 0);
    palette[0] = 0x0C;
    palette[1 + 5 * 3] = 99;
    img = decodePcx(joined(joined(pcxHeader(2, 1, 8, 1, 2), {0x05, 0xC1, 0xF0}), palette));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->pixels[0], 99);
}

TEST(PcxCodecTest, RefusesShortLinesBombsAndTruncation) {
    EXPECT_FALSE(decodePcx(joined(pcxHeader(9, 1, 8, 3, 8), std::vector<uint8_t>(24))));  // 8 < 9 bytes
    EXPECT_FALSE(decodePcx(joined(pcxHeader(4, 2, 8, 3, 4, 0), std::vector<uint8_t>(23))));
    EXPECT_TRUE(decodePcx(joined(pcxHeader(4, 2, 8, 3, 4, 0), std::vector<uint8_t>(24))));
    EXPECT_FALSE(decodePcx(joined(pcxHeader(4, 2, 8, 3, 4), {0xC8, 1})));  // runs stop short
    EXPECT_FALSE(decodePcx(joined(pcxHeader(65000, 65000, 8, 3, 65000), {0xFF, 1})));
    EXPECT_FALSE(decodePcx(joined(pcxHeader(4, 2, 3, 1, 4), std::vector<uint8_t>(8))));
    EXPECT_FALSE(decodePcx(std::vector<uint8_t>(100, 10)));
}

TEST(PcxCodecTest, WriterRoundTripsAndIsReadByOthers) {
    const int w = 31, h = 6;
    auto rgba = pattern(w, h, 4, 4);
    std::fill_n(rgba.begin(), 40, 0xC7);  // runs of a byte that needs the run marker
    std::vector<uint8_t> file;
    ASSERT_TRUE(writeWith(scratch("w.pcx"), [&](FileDest d) { return writePcx(d, rgba.data(), w, h, 4); }, file));
    const auto img = decodePcx(file);
    ASSERT_TRUE(img);
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        for (int c = 0; c < 3; ++c) ASSERT_EQ(img->pixels[i * 4 + c], rgba[i * 4 + c]) << i;
        ASSERT_EQ(img->pixels[i * 4 + 3], 255);
    }
    EXPECT_EQ(readPcxInfo(file)->width, w);
    FILE* f = std::tmpfile();
    EXPECT_FALSE(writePcx(FileDest{f}, rgba.data(), 0xFFFF, 1, 4));
    EXPECT_FALSE(writePcx(FileDest{f}, nullptr, w, h, 4));
    std::fclose(f);
    if (!haveTool("identify")) GTEST_SKIP() << "ImageMagick not installed";
    EXPECT_EQ(identify(scratch("w.pcx")), "PCX 31 6");
    const auto theirs = magickRgba(scratch("w.pcx"), w, h);
    ASSERT_TRUE(theirs);
    EXPECT_EQ(*theirs, img->pixels);
}
