#include <cstdio>
#include <cstring>

#include "imaging/lib/codecs/jpeg_codec.h"
#include "library_codec_support.h"

using namespace codectest;
using namespace dro::codecs;

// ImageMagick may pick another IDCT or upsampler than ours, so decodes of one file may
// differ by a few levels; a colour-space or channel-order mistake shows as tens. With
// the libjpeg-turbo 2.1 of Debian 12 both agree exactly except CMYK, where rounding of
// the ink product differs by 1.
constexpr int kIdctTolerance = 3;

TEST(JpegCodecTest, GreyRgbCmykAndProgressiveMatchImageMagick) {
    SKIP_WITHOUT_MAGICK();
    const int w = 45, h = 29;
    const std::string source = rgbaSource("jpeg-src", w, h, smooth(w, h, 4));
    struct Variant {
        const char* name;
        const char* options;
    };
    const Variant variants[] = {
        {"rgb420", "-alpha off -quality 90"},
        {"rgb444", "-alpha off -quality 90 -sampling-factor 1x1"},
        {"grey", "-alpha off -colorspace Gray -quality 90"},
        {"cmyk", "-alpha off -colorspace CMYK -quality 95"},
        {"progressive", "-alpha off -interlace JPEG -quality 85"},
        {"progressive-grey", "-alpha off -colorspace Gray -interlace JPEG"},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name);
        const std::string path = scratch(std::string("var-") + v.name + ".jpg");
        ASSERT_EQ(run("convert " + source + " " + v.options + " '" + path + "'"), 0);
        const Bytes file = readFile(path);
        const auto image = decodeJpeg(span(file));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, w);
        EXPECT_EQ(image->height, h);
        // ImageMagick's CMYK reads come back in CMYK; ask for sRGB.
        const Bytes expected = magickRgba(path, "-colorspace sRGB");
        EXPECT_LE(maxDifference(image->pixels, expected), kIdctTolerance);
        for (size_t i = 3; i < image->pixels.size(); i += 4) ASSERT_EQ(image->pixels[i], 255);
    }
    // Grey stays grey.
    const auto grey = decodeJpeg(span(readFile(scratch("var-grey.jpg"))));
    ASSERT_TRUE(grey);
    for (size_t i = 0; i < grey->pixels.size(); i += 4) {
        ASSERT_EQ(grey->pixels[i], grey->pixels[i + 1]);
        ASSERT_EQ(grey->pixels[i], grey->pixels[i + 2]);
    }
}

TEST(JpegCodecTest, AdobeCmykIsReadInvertedLikeImageMagick) {
    SKIP_WITHOUT_MAGICK();
    // Flat colours survive JPEG almost exactly, so the ink arithmetic shows plainly.
    const std::string path = scratch("flat-cmyk.jpg");
    ASSERT_EQ(run("convert -size 16x16 xc:'cmyk(40,100,200,60)' -quality 100 '" + path + "'"), 0);
    const auto image = decodeJpeg(span(readFile(path)));
    ASSERT_TRUE(image);
    // R = (255 - C)(255 - K) / 255 and so on.
    const int expected[3] = {(255 - 40) * (255 - 60) / 255, (255 - 100) * (255 - 60) / 255, (255 - 200) * (255 - 60) / 255};
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(image->pixels[c], expected[c], 2) << c;
}

TEST(JpegCodecTest, WrittenFilesKeepTheirDensityAndSampling) {
    const int w = 50, h = 34;
    const Bytes px = smooth(w, h, 4);
    const std::string path = scratch("written.jpg");
    const auto file = writeWith(path, [&](FileDest d) { return writeJpeg(d, px.data(), w, h, 4, 97, {300, 300, 1}); });
    ASSERT_TRUE(file);
    const auto image = decodeJpeg(span(*file));
    ASSERT_TRUE(image);
    EXPECT_LT(meanDifference(rgbOf(image->pixels), rgbOf(px)), 1.5);
    const auto info = readJpegInfo(span(*file));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->width, w);
    EXPECT_EQ(info->height, h);
    EXPECT_EQ(info->resolution.x, 300.0);
    EXPECT_EQ(info->resolution.y, 300.0);
    EXPECT_EQ(info->resolution.unit, 1);

    // The row writer: top row first, full-resolution chroma.
    const Bytes rgb = rgbOf(px);
    const std::string rowsPath = scratch("rows.jpg");
    const auto rows = writeWith(rowsPath, [&](FileDest d) {
        auto writer = startJpegRows(d, w, h, 3, 97, {150, 150, 1});
        if (!writer || writer->rowOrderBottomUp()) return false;
        for (int y = 0; y < h; ++y)
            if (!writer->writeRow(rgb.data() + size_t(y) * w * 3)) return false;
        return writer->finish();
    });
    ASSERT_TRUE(rows);
    const auto fromRows = decodeJpeg(span(*rows));
    ASSERT_TRUE(fromRows);
    EXPECT_LT(meanDifference(rgbOf(fromRows->pixels), rgb), 1.0);
    // Top and bottom rows did not trade places.
    EXPECT_LT(fromRows->pixels[1], 20);
    EXPECT_GT(fromRows->pixels[(size_t(h - 1) * w) * 4 + 1], 235);
    EXPECT_EQ(readJpegInfo(span(*rows))->resolution.x, 150.0);

    if (onPath("identify")) {
        EXPECT_EQ(captureText("identify -format '%w %h %x %U %[jpeg:sampling-factor]' '" + rowsPath + "'"),
                  std::to_string(w) + " " + std::to_string(h) + " 150 PixelsPerInch 1x1,1x1,1x1");
        EXPECT_EQ(captureText("identify -format '%Q' '" + path + "'"), "97");
    }

    // No resolution: the JFIF header names no unit.
    const auto plain = writeWith(scratch("plain.jpg"), [&](FileDest d) { return writeJpeg(d, px.data(), w, h, 3 + 1, 50, {}); });
    ASSERT_TRUE(plain);
    EXPECT_EQ(readJpegInfo(span(*plain))->resolution.unit, 0);
}

TEST(JpegCodecTest, BadArgumentsAndForeignBytesAreRefused) {
    const Bytes px(8 * 8 * 3, 9);
    std::FILE* f = std::fopen(scratch("bad.jpg").c_str(), "w+b");
    EXPECT_FALSE(writeJpeg(FileDest{nullptr}, px.data(), 8, 8, 3, 90, {}));
    EXPECT_FALSE(writeJpeg(FileDest{f}, nullptr, 8, 8, 3, 90, {}));
    EXPECT_FALSE(writeJpeg(FileDest{f}, px.data(), 8, 0, 3, 90, {}));
    EXPECT_FALSE(writeJpeg(FileDest{f}, px.data(), 8, 8, 1, 90, {}));
    EXPECT_FALSE(startJpegRows(FileDest{f}, 70000, 8, 3, 90, {}));
    std::fclose(f);
    EXPECT_FALSE(decodeJpeg({}));
    EXPECT_FALSE(readJpegInfo({}));
    const Bytes justSoi = {0xFF, 0xD8, 0xFF};
    EXPECT_FALSE(decodeJpeg(span(justSoi)));
    const Bytes png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
    EXPECT_FALSE(decodeJpeg(span(png)));
}

TEST(JpegCodecTest, CorruptTruncatedAndInflatedFilesNeverMisbehave) {
    const int w = 40, h = 24;
    const Bytes px = pattern(w, h, 3);
    const auto file = writeWith(scratch("sweep.jpg"), [&](FileDest d) { return writeJpeg(d, px.data(), w, h, 3, 80, {72, 72, 1}); });
    ASSERT_TRUE(file);
    sweepCorruptions(*file, decodeJpeg);
    const Bytes tiny = readFile(std::string(DROVANE_TEST_DATA_DIR) + "/tiny_progressive.jpg");
    ASSERT_FALSE(tiny.empty());
    sweepCorruptions(tiny, decodeJpeg);

    // A frame header announcing 60000 x 60000 over a few hundred bytes of scan.
    Bytes inflated = *file;
    for (size_t i = 2; i + 8 < inflated.size(); ++i) {
        if (inflated[i] == 0xFF && inflated[i + 1] == 0xC0) {
            inflated[i + 5] = 60000 >> 8;
            inflated[i + 6] = 60000 & 0xFF;
            inflated[i + 7] = 60000 >> 8;
            inflated[i + 8] = 60000 & 0xFF;
            break;
        }
    }
    ASSERT_EQ(readJpegInfo(span(inflated))->width, 60000);
    EXPECT_FALSE(decodeJpeg(span(inflated)));
}

TEST(JpegCodecTest, SmallProgressiveFixtureDecodes) {
    const auto image = decodeJpeg(span(readFile(std::string(DROVANE_TEST_DATA_DIR) + "/tiny_progressive.jpg")));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 12);
    EXPECT_EQ(image->height, 9);
}
