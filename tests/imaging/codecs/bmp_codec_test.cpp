#include <cstring>

#include "imaging/lib/codecs/bmp_codec.h"
#include "imaging/lib/codecs/byte_reader.h"
#include "imaging/codecs/own_codec_support.h"

using namespace owncodec;
using namespace dro::codecs;

namespace {

// A BMP file around a BITMAPINFOHEADER of the given shape; palette and bits follow.
std::vector<uint8_t> handBmp(int32_t w, int32_t h, uint16_t bits, uint32_t compression,
                             const std::vector<uint8_t>& palette, const std::vector<uint8_t>& pixelBits,
                             const std::vector<uint32_t>& masks = {}) {
    std::vector<uint8_t> b;
    const uint32_t offBits = 14 + 40 + uint32_t(masks.size() * 4 + palette.size());
    putU8(b, 'B');
    putU8(b, 'M');
    putU32LE(b, offBits + uint32_t(pixelBits.size()));
    putU32LE(b, 0);
    putU32LE(b, offBits);
    putU32LE(b, 40);
    putU32LE(b, uint32_t(w));
    putU32LE(b, uint32_t(h));
    putU16LE(b, 1);
    putU16LE(b, bits);
    putU32LE(b, compression);
    putU32LE(b, uint32_t(pixelBits.size()));
    putU32LE(b, 2835);
    putU32LE(b, 2835);
    putU32LE(b, uint32_t(palette.size() / 4));
    putU32LE(b, 0);
    for (uint32_t m : masks) putU32LE(b, m);
    b.insert(b.end(), palette.begin(), palette.end());
    b.insert(b.end(), pixelBits.begin(), pixelBits.end());
    return b;
}

std::vector<uint8_t> rgbaAt(const PixelImage& img, int x, int y) {
    const uint8_t* p = &img.pixels[(size_t(y) * img.width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

}  // namespace

TEST(BmpCodecTest, MatchesImageMagickOnItsOwnVariants) {
    if (!haveTool("convert")) GTEST_SKIP() << "ImageMagick not installed";
    const int w = 37, h = 23;
    const auto src = pattern(w, h, 4);
    struct Variant {
        const char* options;
        const char* prefix;
        uint16_t bits;
        uint32_t compression;
    };
    const Variant variants[] = {
        {"-alpha off -type TrueColor", "BMP3:", 24, kBiRgb},
        {"-type TrueColorAlpha", "BMP:", 32, kBiBitfields},
        {"-alpha off -compress None -type Palette", "BMP3:", 8, kBiRgb},
        {"-alpha off -type Palette", "BMP3:", 8, kBiRle8},
        {"-alpha off -compress None -colors 16 -type Palette", "BMP3:", 4, kBiRgb},
        {"-alpha off -monochrome", "BMP3:", 1, kBiRgb},
        {"-alpha off -compress None -type Palette", "BMP2:", 8, kBiRgb},
        {"-define bmp:subtype=ARGB1555 -type TrueColorAlpha", "BMP:", 16, kBiBitfields},
    };
    for (const auto& v : variants) {
        SCOPED_TRACE(std::string(v.prefix) + " " + v.options);
        const auto path = scratch("magick.bmp");
        ASSERT_TRUE(magickMake(src, w, h, v.options, std::string(v.prefix) + path.string()));
        const auto bytes = readBytes(path);
        const auto format = parseDibFormat(ByteSpan(bytes).subspan(14));
        ASSERT_TRUE(format);
        EXPECT_EQ(format->bitCount, v.bits);  // the corpus covers what it claims to
        EXPECT_EQ(format->compression, v.compression);
        const auto ours = decodeBmp(bytes);
        const auto theirs = magickRgba(path, w, h);
        ASSERT_TRUE(ours && theirs);
        ASSERT_EQ(ours->width, w);
        ASSERT_EQ(ours->height, h);
        if (v.bits == 16) {
            // Five-bit channels may round differently; ImageMagick spreads the one alpha bit
            // to 128 where it means fully opaque.
            for (size_t i = 0; i < theirs->size(); ++i) {
                if (i % 4 == 3) ASSERT_EQ(ours->pixels[i], (*theirs)[i] ? 255 : 0) << i;
                else ASSERT_NEAR(ours->pixels[i], (*theirs)[i], 4) << i;
            }
        } else {
            EXPECT_EQ(ours->pixels, *theirs);
        }
        survivesDamage(bytes, [](ByteSpan b) { return decodeBmp(b); });
    }
}

TEST(BmpCodecTest, ThirtyTwoBitAlphaIsUsedOnlyWhenSomePixelHasIt) {
    // 2 x 1, BI_RGB 32-bit: BGRA bytes.
    auto file = handBmp(2, 1, 32, kBiRgb, {}, {10, 20, 30, 0, 40, 50, 60, 0});
    auto img = decodeBmp(file);
    ASSERT_TRUE(img);
    EXPECT_EQ(rgbaAt(*img, 0, 0), (std::vector<uint8_t>{30, 20, 10, 255}));
    EXPECT_EQ(rgbaAt(*img, 1, 0), (std::vector<uint8_t>{60, 50, 40, 255}));
    file = handBmp(2, 1, 32, kBiRgb, {}, {10, 20, 30, 0, 40, 50, 60, 7});
    img = decodeBmp(file);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->pixels[3], 0);
    EXPECT_EQ(img->pixels[7], 7);
}

TEST(BmpCodecTest, BitfieldsTopDownAndCoreHeaders) {
    // RGB565, top-down (negative height), 1 x 2: white then pure green.
    const auto file = handBmp(1, -2, 16, kBiBitfields, {}, {0xFF, 0xFF, 0, 0, 0xE0, 0x07, 0, 0},
                              {0xF800, 0x07E0, 0x001F});
    const auto img = decodeBmp(file);
    ASSERT_TRUE(img);
    EXPECT_EQ(rgbaAt(*img, 0, 0), (std::vector<uint8_t>{255, 255, 255, 255}));
    EXPECT_EQ(rgbaAt(*img, 0, 1), (std::vector<uint8_t>{0, 255, 0, 255}));

    // OS/2 core header: 12 bytes, 16-bit sizes, 3-byte palette entries.
    const std::vector<uint8_t> core = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0, 0,  // bits at 32
                                       12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 1, 0,           // 2 x 1, 1 bit
                                       0, 0, 255, 0, 255, 0,                          // red, green
                                       0x40, 0, 0, 0};
    const auto mono = decodeBmp(core);
    ASSERT_TRUE(mono);
    EXPECT_EQ(rgbaAt(*mono, 0, 0), (std::vector<uint8_t>{255, 0, 0, 255}));
    EXPECT_EQ(rgbaAt(*mono, 1, 0), (std::vector<uint8_t>{0, 255, 0, 255}));
}

TEST(BmpCodecTest, RunLengthEscapesAndClipping) {
    std::vector<uint8_t> palette(16 * 4, 0);
    for (int i = 0; i < 16; ++i) palette[i * 4 + 2] = static_cast<uint8_t>(i * 16);  // red = 16 i
    // RLE8, 4 x 3, bottom-up. Row 0 (bottom): run of 6 x index 1 (clipped at 4), EOL.
    // Row 1: absolute 3 pixels (2, 3, 4) padded, then delta (0, 1). Row 2: at x = 3: one 5,
    // end of bitmap. Pixels never written stay transparent.
    const std::vector<uint8_t> rle8 = {6, 1, 0, 0, 0, 3, 2, 3, 4, 0, 0, 2, 0, 1, 1, 5, 0, 1};
    const auto img = decodeBmp(handBmp(4, 3, 8, kBiRle8, palette, rle8));
    ASSERT_TRUE(img);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(rgbaAt(*img, x, 2), (std::vector<uint8_t>{16, 0, 0, 255})) << x;
    EXPECT_EQ(rgbaAt(*img, 0, 1), (std::vector<uint8_t>{32, 0, 0, 255}));
    EXPECT_EQ(rgbaAt(*img, 2, 1), (std::vector<uint8_t>{64, 0, 0, 255}));
    EXPECT_EQ(rgbaAt(*img, 3, 1), (std::vector<uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(rgbaAt(*img, 3, 0), (std::vector<uint8_t>{80, 0, 0, 255}));
    EXPECT_EQ(rgbaAt(*img, 2, 0), (std::vector<uint8_t>{0, 0, 0, 0}));

    // RLE4, 6 x 1: run of 3 alternating 1/2, absolute 3 nibbles (7, 8, 9), end of bitmap.
    const std::vector<uint8_t> rle4 = {3, 0x12, 0, 3, 0x78, 0x90, 0, 1};
    const auto four = decodeBmp(handBmp(6, 1, 4, kBiRle4, palette, rle4));
    ASSERT_TRUE(four);
    const int expected[] = {1, 2, 1, 7, 8, 9};
    for (int x = 0; x < 6; ++x) EXPECT_EQ(four->pixels[x * 4], expected[x] * 16) << x;

    // A delta past the picture or a stream without an end stops quietly.
    EXPECT_TRUE(decodeBmp(handBmp(4, 3, 8, kBiRle8, palette, {0, 2, 200, 200, 3, 1})));
    EXPECT_TRUE(decodeBmp(handBmp(4, 3, 8, kBiRle8, palette, {0, 5, 1, 2})));
}

TEST(BmpCodecTest, RefusesBombsAndShortFiles) {
    // 60000 x 60000 RLE8 from a handful of bytes: refused before any allocation.
    EXPECT_FALSE(decodeBmp(handBmp(60000, 60000, 8, kBiRle8, std::vector<uint8_t>(1024), {0, 1})));
    // Uncompressed bits that stop short of the last row.
    EXPECT_FALSE(decodeBmp(handBmp(4, 2, 24, kBiRgb, {}, std::vector<uint8_t>(12 + 11))));
    EXPECT_TRUE(decodeBmp(handBmp(4, 2, 24, kBiRgb, {}, std::vector<uint8_t>(24))));
    // Impossible combinations and sizes.
    EXPECT_FALSE(decodeBmp(handBmp(4, 2, 24, kBiRle8, {}, std::vector<uint8_t>(24))));
    EXPECT_FALSE(decodeBmp(handBmp(0, 2, 24, kBiRgb, {}, std::vector<uint8_t>(24))));
    EXPECT_FALSE(decodeBmp(handBmp(4, INT32_MIN, 24, kBiRgb, {}, std::vector<uint8_t>(24))));
    auto cut = handBmp(2, 2, 8, kBiRgb, std::vector<uint8_t>(4 * 256), std::vector<uint8_t>(8));
    cut.resize(14 + 40 + 100);  // the colour table runs past the end
    EXPECT_FALSE(decodeBmp(cut));
    EXPECT_FALSE(decodeBmp({}));
    EXPECT_FALSE(decodeDib({}));
}

TEST(BmpCodecTest, WritersRoundTripAndOthersAcceptTheFiles) {
    const int w = 19, h = 7;  // odd width: row padding on every row
    const auto rgba = pattern(w, h, 4, 3);
    const auto rgb = pattern(w, h, 3, 3);
    std::vector<uint8_t> file24, file32, fromRgba;
    const Resolution res{11811, 11811, 0};  // 300 dpi
    ASSERT_TRUE(writeWith(scratch("w24.bmp"), [&](FileDest d) { return writeBmp(d, rgb.data(), w, h, 3, 24, res); }, file24));
    ASSERT_TRUE(writeWith(scratch("w32.bmp"), [&](FileDest d) { return writeBmp(d, rgba.data(), w, h, 4, 32, res); }, file32));
    ASSERT_TRUE(writeWith(scratch("w24a.bmp"), [&](FileDest d) { return writeBmp(d, rgba.data(), w, h, 4, 24, {}); }, fromRgba));
    EXPECT_EQ(file24.size(), 14u + 40 + 60 * 7);

    const auto img24 = decodeBmp(file24), img32 = decodeBmp(file32), imgA = decodeBmp(fromRgba);
    ASSERT_TRUE(img24 && img32 && imgA);
    EXPECT_EQ(img32->pixels, rgba);
    for (size_t i = 0; i < size_t(w) * h; ++i)
        for (int c = 0; c < 3; ++c) {
            ASSERT_EQ(img24->pixels[i * 4 + c], rgb[i * 3 + c]);
            ASSERT_EQ(imgA->pixels[i * 4 + c], rgba[i * 4 + c]);
        }
    const auto info = readBmpInfo(file24);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->resolution.x, 11811);
    EXPECT_EQ(info->resolution.unit, 2);
    EXPECT_EQ(readBmpInfo(fromRgba)->resolution.x, 0);

    if (!haveTool("identify")) GTEST_SKIP() << "ImageMagick not installed";
    EXPECT_EQ(identify(scratch("w24.bmp"), "%w %h %U"), "19 7 PixelsPerCentimeter");
    EXPECT_NEAR(std::stod(identify(scratch("w24.bmp"), "%x")), 118.11, 0.01);
    EXPECT_EQ(identify(scratch("w32.bmp"), "%w %h %A"), "19 7 True");
    const auto theirs = magickRgba(scratch("w32.bmp"), w, h);
    ASSERT_TRUE(theirs);
    EXPECT_EQ(*theirs, rgba);
}

TEST(BmpCodecTest, RowWriterTakesBottomRowFirstAndChecksItsCount) {
    const int w = 5, h = 4;
    const auto rgb = pattern(w, h, 3, 9);
    std::vector<uint8_t> whole, rows;
    ASSERT_TRUE(writeWith(scratch("whole.bmp"), [&](FileDest d) { return writeBmp(d, rgb.data(), w, h, 3, 24, {}); }, whole));
    ASSERT_TRUE(writeWith(scratch("rows.bmp"), [&](FileDest d) {
        auto writer = startBmpRows(d, w, h, 3, 24, {});
        if (!writer || !writer->rowOrderBottomUp()) return false;
        for (int y = h - 1; y >= 0; --y)
            if (!writer->writeRow(&rgb[size_t(y) * w * 3])) return false;
        return !writer->writeRow(rgb.data()) && !writer->finish();  // one row too many spoils it
    }, rows));
    EXPECT_EQ(rows, whole);

    std::vector<uint8_t> shortFile;
    writeWith(scratch("short.bmp"), [&](FileDest d) {
        auto writer = startBmpRows(d, w, h, 3, 24, {});
        writer->writeRow(rgb.data());
        EXPECT_FALSE(writer->finish());
        return true;
    }, shortFile);
    EXPECT_FALSE(decodeBmp(shortFile));

    EXPECT_EQ(startBmpRows(FileDest{}, w, h, 3, 24, {}), nullptr);
    FILE* f = std::tmpfile();
    EXPECT_EQ(startBmpRows(FileDest{f}, w, h, 2, 24, {}), nullptr);
    EXPECT_EQ(startBmpRows(FileDest{f}, w, h, 3, 16, {}), nullptr);
    EXPECT_EQ(startBmpRows(FileDest{f}, 0, h, 3, 24, {}), nullptr);
    EXPECT_FALSE(writeBmp(FileDest{f}, nullptr, w, h, 3, 24, {}));
    std::fclose(f);
}

TEST(BmpCodecTest, PackedDibFromTheClipboard) {
    // BITMAPINFOHEADER with BI_BITFIELDS: the three masks sit between header and bits.
    const auto file = handBmp(1, 1, 32, kBiBitfields, {}, {1, 2, 3, 4}, {0xFF, 0xFF00, 0xFF0000});
    const auto img = decodeDib(ByteSpan(file).subspan(14));
    ASSERT_TRUE(img);
    EXPECT_EQ(rgbaAt(*img, 0, 0), (std::vector<uint8_t>{1, 2, 3, 255}));
}
