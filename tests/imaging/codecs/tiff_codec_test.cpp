#include <tiffio.h>

#include <cstdio>
#include <cstring>

#include "imaging/lib/codecs/tiff_codec.h"
#include "library_codec_support.h"

using namespace codectest;
using namespace dro::codecs;

namespace {

std::optional<PixelImage> decodeFile(const std::string& path) {
    const Bytes b = readFile(path);
    return decodeTiff(span(b));
}

}  // namespace

TEST(TiffCodecTest, StripsTilesCompressionsAndLayoutsMatchImageMagick) {
    SKIP_WITHOUT_MAGICK();
    const int w = 37, h = 21;
    const std::string source = rgbaSource("tiff-src", w, h, pattern(w, h, 4));
    struct Variant {
        const char* name;
        const char* options;
        bool sixteen;
        int tolerance;  // 0 = exact
    };
    const Variant variants[] = {
        {"rgba-none", "-compress None", false, 0},
        {"rgb-lzw", "-alpha off -compress LZW", false, 0},
        {"rgba-deflate", "-compress Zip", false, 0},
        {"rgba-packbits", "-compress RLE", false, 0},
        {"rgba-tiles", "-compress LZW -define tiff:tile-geometry=16x16", false, 0},
        {"rgba-planar", "-interlace Plane -compress LZW", false, 0},
        {"rgba-planar-tiles", "-interlace Plane -define tiff:tile-geometry=16x16", false, 0},
        {"rgba-strips-of-5", "-define tiff:rows-per-strip=5", false, 0},
        {"grey8", "-alpha off -type Grayscale", false, 0},
        {"grey4", "-alpha off -type Grayscale -depth 4", false, 0},
        {"bilevel", "-alpha off -type Bilevel", false, 0},
        {"grey-alpha", "-type GrayscaleAlpha", false, 0},
        // The colour map holds 16-bit values, narrowed like samples.
        {"palette", "-alpha off -colors 60 -type Palette", true, 0},
        {"rgb16", "-alpha off -depth 16", true, 0},
        {"rgba16-tiles", "-depth 16 -define tiff:tile-geometry=16x16", true, 0},
        // Ink arithmetic and alpha division round differently from ImageMagick's.
        {"cmyk", "-alpha off -colorspace CMYK", false, 1},
        {"rgba-associated", "-define tiff:alpha=associated", false, 1},
        {"jpeg", "-alpha off -compress JPEG -quality 90", false, 6},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name);
        const std::string path = scratch(std::string("var-") + v.name + ".tif");
        ASSERT_EQ(run("convert " + source + " " + v.options + " '" + path + "'"), 0);
        const auto image = decodeFile(path);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, w);
        EXPECT_EQ(image->height, h);
        const Bytes expected = v.sixteen ? magickRgbaHighBytes(path) : magickRgba(path, "-colorspace sRGB");
        if (v.tolerance == 0) {
            EXPECT_EQ(image->pixels, expected);
        } else if (std::string(v.name) == "rgba-associated") {
            // Where alpha is tiny the premultiplied colour holds little; compare where it holds some.
            ASSERT_EQ(image->pixels.size(), expected.size());
            for (size_t i = 0; i < expected.size(); i += 4) {
                ASSERT_EQ(image->pixels[i + 3], expected[i + 3]);
                if (expected[i + 3] < 64) continue;
                for (int c = 0; c < 3; ++c) ASSERT_NEAR(image->pixels[i + c], expected[i + c], 1) << i;
            }
        } else {
            EXPECT_LE(maxDifference(image->pixels, expected), v.tolerance);
        }
    }
}

TEST(TiffCodecTest, OtherOrientationsAreTurnedUpright) {
    SKIP_WITHOUT_MAGICK();
    const int w = 13, h = 7;
    const std::string source = rgbaSource("orient-src", w, h, pattern(w, h, 4));
    const std::string path = scratch("bottom-left.tif");
    ASSERT_EQ(run("convert " + source + " -alpha off -orient BottomLeft '" + path + "'"), 0);
    const auto image = decodeFile(path);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, magickRgba(path, "-auto-orient"));
}

TEST(TiffCodecTest, WrittenFilesRoundTripWithTheirResolution) {
    const int w = 53, h = 31;
    for (TiffCompression compression : {TiffCompression::None, TiffCompression::Lzw}) {
        for (int channels : {3, 4}) {
            SCOPED_TRACE(channels * 10 + int(compression));
            const Bytes px = pattern(w, h, channels);
            const std::string path = scratch("written.tif");
            const auto file = writeWith(path, [&](FileDest d) {
                return writeTiff(d, px.data(), w, h, channels, compression, {300, 300, 2});
            });
            ASSERT_TRUE(file);
            const auto image = decodeTiff(span(*file));
            ASSERT_TRUE(image);
            EXPECT_EQ(channels == 4 ? image->pixels : rgbOf(image->pixels), px);
            const auto info = readTiffInfo(span(*file));
            ASSERT_TRUE(info);
            EXPECT_EQ(info->width, w);
            EXPECT_EQ(info->resolution.x, 300.0);
            EXPECT_EQ(info->resolution.y, 300.0);
            EXPECT_EQ(info->resolution.unit, 2);

            const auto rows = writeWith(scratch("rows.tif"), [&](FileDest d) {
                auto writer = startTiffRows(d, w, h, channels, compression, {300, 300, 2});
                if (!writer || writer->rowOrderBottomUp()) return false;
                for (int y = 0; y < h; ++y)
                    if (!writer->writeRow(px.data() + size_t(y) * w * channels)) return false;
                return writer->finish();
            });
            ASSERT_TRUE(rows);
            EXPECT_EQ(decodeTiff(span(*rows))->pixels, image->pixels);

            if (onPath("tiffinfo")) {
                const std::string text = captureText("tiffinfo '" + path + "'");
                EXPECT_NE(text.find("Image Width: 53 Image Length: 31"), std::string::npos) << text;
                EXPECT_NE(text.find("Resolution: 300, 300 pixels/inch"), std::string::npos) << text;
                if (channels == 4) EXPECT_NE(text.find("unassoc-alpha"), std::string::npos) << text;
                EXPECT_NE(text.find(compression == TiffCompression::Lzw ? "LZW" : "None"), std::string::npos);
            }
            if (onPath("identify")) {
                EXPECT_EQ(captureText("identify -format '%w %h %x %U' '" + path + "'"), "53 31 300 PixelsPerInch");
            }
        }
    }
}

TEST(TiffCodecTest, WriterHonoursAFileThatDoesNotStartAtZero) {
    // Offsets inside the TIFF count from where the writer started.
    const Bytes px = pattern(9, 5, 4);
    const std::string path = scratch("offset.tif");
    const auto bytes = writeWith(path, [&](FileDest d) {
        std::fputs("PREFIX--", d.file);
        return writeTiff(d, px.data(), 9, 5, 4, TiffCompression::Lzw, {});
    });
    ASSERT_TRUE(bytes);
    const Bytes tiff(bytes->begin() + 8, bytes->end());
    const auto image = decodeTiff(span(tiff));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, px);
    EXPECT_EQ(readTiffInfo(span(tiff))->resolution.unit, 0);
}

TEST(TiffCodecTest, BadArgumentsAndForeignBytesAreRefused) {
    const Bytes px(4 * 4 * 4, 1);
    std::FILE* f = std::fopen(scratch("bad.tif").c_str(), "w+b");
    EXPECT_FALSE(writeTiff(FileDest{nullptr}, px.data(), 4, 4, 4, TiffCompression::None, {}));
    EXPECT_FALSE(writeTiff(FileDest{f}, nullptr, 4, 4, 4, TiffCompression::None, {}));
    EXPECT_FALSE(writeTiff(FileDest{f}, px.data(), 0, 4, 4, TiffCompression::None, {}));
    EXPECT_FALSE(writeTiff(FileDest{f}, px.data(), 4, 4, 5, TiffCompression::None, {}));
    auto writer = startTiffRows(FileDest{f}, 4, 2, 4, TiffCompression::Lzw, {});
    ASSERT_TRUE(writer);
    EXPECT_TRUE(writer->writeRow(px.data()));
    EXPECT_FALSE(writer->finish());  // a row short
    writer.reset();
    std::fclose(f);
    EXPECT_FALSE(decodeTiff({}));
    EXPECT_FALSE(readTiffInfo({}));
    const Bytes header = {'I', 'I', 42, 0, 8, 0, 0, 0};
    EXPECT_FALSE(decodeTiff(span(header)));
}

TEST(TiffCodecTest, CorruptTruncatedAndInflatedFilesNeverMisbehave) {
    const int w = 30, h = 20;
    const Bytes px = pattern(w, h, 4);
    for (TiffCompression compression : {TiffCompression::None, TiffCompression::Lzw}) {
        const auto file = writeWith(scratch("sweep.tif"), [&](FileDest d) {
            return writeTiff(d, px.data(), w, h, 4, compression, {72, 72, 2});
        });
        ASSERT_TRUE(file);
        sweepCorruptions(*file, decodeTiff);
    }
    const Bytes tiny = readFile(std::string(DROVANE_TEST_DATA_DIR) + "/tiny_palette_tiles.tif");
    ASSERT_FALSE(tiny.empty());
    sweepCorruptions(tiny, decodeTiff);

    // 100000 x 100000 announced by a file of a few hundred bytes.
    const std::string path = scratch("inflated.tif");
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_TRUE(tif);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 100000u);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 100000u);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_DEFLATE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 100000u);
    uint8_t row[16] = {};
    TIFFWriteEncodedStrip(tif, 0, row, sizeof row);
    TIFFClose(tif);
    const Bytes inflated = readFile(path);
    ASSERT_TRUE(readTiffInfo(span(inflated)));
    EXPECT_FALSE(decodeTiff(span(inflated)));
}

TEST(TiffCodecTest, SmallPaletteTileFixtureDecodesAsImageMagickDoes) {
    SKIP_WITHOUT_MAGICK();
    const std::string path = std::string(DROVANE_TEST_DATA_DIR) + "/tiny_palette_tiles.tif";
    const auto image = decodeFile(path);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, magickRgbaHighBytes(path));
}
