#include <png.h>
#include <zlib.h>

#include <cstring>

#include "imaging/lib/codecs/png_codec.h"
#include "library_codec_support.h"

using namespace codectest;
using namespace dro::codecs;

namespace {

// A PNG of any colour type and depth with an optional tRNS, written by libpng itself:
// ImageMagick cannot be asked for grey + tRNS.
Bytes handMadePng(int w, int h, int colourType, int depth, const Bytes& samples, const png_color_16* trns,
                  const Bytes& palette = {}, const Bytes& paletteAlpha = {}) {
    const std::string path = scratch("hand.png");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return {};
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, w, h, depth, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty()) png_set_PLTE(png, info, reinterpret_cast<const png_color*>(palette.data()), int(palette.size() / 3));
    if (trns || !paletteAlpha.empty())
        png_set_tRNS(png, info, paletteAlpha.empty() ? nullptr : paletteAlpha.data(), int(paletteAlpha.size()), trns);
    png_write_info(png, info);
    const size_t rowBytes = samples.size() / h;
    for (int y = 0; y < h; ++y) png_write_row(png, const_cast<uint8_t*>(samples.data() + rowBytes * y));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return readFile(path);
}

std::optional<PixelImage> decodeFile(const std::string& path) {
    const Bytes b = readFile(path);
    return decodePng(span(b));
}

}  // namespace

TEST(PngCodecTest, EveryColourTypeAndDepthMatchesImageMagick) {
    SKIP_WITHOUT_MAGICK();
    const int w = 37, h = 23;  // odd sizes cross every byte boundary of the low depths
    const std::string source = rgbaSource("png-src", w, h, pattern(w, h, 4));
    struct Variant {
        const char* name;
        const char* options;
        bool sixteen;
    };
    const Variant variants[] = {
        {"rgb", "PNG24:", false},
        {"rgba", "PNG32:", false},
        {"palette", "-alpha off -colors 200 PNG8:", false},
        {"palette-trns", "-colors 200 PNG8:", false},
        {"grey8", "-alpha off -type Grayscale -depth 8 ", false},
        {"grey4", "-alpha off -type Grayscale -depth 4 ", false},
        {"grey2", "-alpha off -type Grayscale -depth 2 ", false},
        {"grey1", "-alpha off -monochrome ", false},
        {"grey-alpha", "-type GrayscaleAlpha -depth 8 ", false},
        {"interlaced", "-interlace PNG PNG32:", false},
        {"interlaced-grey2", "-alpha off -type Grayscale -depth 2 -interlace PNG ", false},
        {"rgb16", "PNG48:", true},
        {"rgba16", "PNG64:", true},
        {"grey-alpha16", "-type GrayscaleAlpha -depth 16 ", true},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name);
        const std::string path = scratch(std::string("var-") + v.name + ".png");
        std::string out = v.options;
        out = out.back() == ':' ? out + "'" + path + "'" : out + "'" + path + "'";
        ASSERT_EQ(run("convert " + source + " " + out), 0);
        const auto image = decodeFile(path);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, w);
        EXPECT_EQ(image->height, h);
        EXPECT_EQ(image->channels, 4);
        const Bytes expected = v.sixteen ? magickRgbaHighBytes(path) : magickRgba(path);
        EXPECT_EQ(image->pixels, expected);
    }
}

TEST(PngCodecTest, TransparentColourChunksBecomeAlpha) {
    SKIP_WITHOUT_MAGICK();
    const int w = 9, h = 4;
    Bytes grey(w * h), grey16(w * h * 2), rgb(w * h * 3), indices(w * h);
    for (int i = 0; i < w * h; ++i) {
        grey[i] = static_cast<uint8_t>(i * 7);
        grey16[i * 2] = static_cast<uint8_t>(i * 7);
        grey16[i * 2 + 1] = static_cast<uint8_t>(i);
        rgb[i * 3] = static_cast<uint8_t>(i % 3 * 100);
        rgb[i * 3 + 1] = 20;
        rgb[i * 3 + 2] = 30;
        indices[i] = static_cast<uint8_t>(i % 4);
    }
    png_color_16 greyKey{};
    greyKey.gray = 14;  // pixel 2
    png_color_16 grey16Key{};
    grey16Key.gray = 14 * 256 + 2;  // only pixel 2 matches all 16 bits
    png_color_16 rgbKey{};
    rgbKey.red = 100;
    rgbKey.green = 20;
    rgbKey.blue = 30;
    const Bytes palette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9};
    const Bytes paletteAlpha = {0, 128};  // entries 2 and 3 stay opaque

    struct Case {
        const char* name;
        Bytes file;
    };
    const Case cases[] = {
        {"grey8", handMadePng(w, h, PNG_COLOR_TYPE_GRAY, 8, grey, &greyKey)},
        {"grey16", handMadePng(w, h, PNG_COLOR_TYPE_GRAY, 16, grey16, &grey16Key)},
        {"rgb8", handMadePng(w, h, PNG_COLOR_TYPE_RGB, 8, rgb, &rgbKey)},
        {"palette", handMadePng(w, h, PNG_COLOR_TYPE_PALETTE, 8, indices, nullptr, palette, paletteAlpha)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.file.empty());
        const auto image = decodePng(span(c.file));
        ASSERT_TRUE(image);
        const std::string path = scratch(std::string("trns-") + c.name + ".png");
        writeFile(path, c.file);
        EXPECT_EQ(image->pixels, std::string(c.name) == "grey16" ? magickRgbaHighBytes(path) : magickRgba(path));
    }
    const auto grey8 = decodePng(span(cases[0].file));
    EXPECT_EQ(grey8->pixels[2 * 4 + 3], 0);
    EXPECT_EQ(grey8->pixels[3 * 4 + 3], 255);
    const auto pal = decodePng(span(cases[3].file));
    EXPECT_EQ((Bytes(pal->pixels.begin(), pal->pixels.begin() + 16)),
              (Bytes{255, 0, 0, 0, 0, 255, 0, 128, 0, 0, 255, 255, 9, 9, 9, 255}));
}

TEST(PngCodecTest, WrittenFilesRoundTripAndPassTheCheckers) {
    const int w = 61, h = 17;
    for (int channels : {3, 4}) {
        SCOPED_TRACE(channels);
        const Bytes px = pattern(w, h, channels);
        const std::string path = scratch("written" + std::to_string(channels) + ".png");
        const auto file = writeWith(path, [&](FileDest d) { return writePng(d, px.data(), w, h, channels, {11811.0, 11811.0, 1}); });
        ASSERT_TRUE(file);
        const auto image = decodePng(span(*file));
        ASSERT_TRUE(image);
        EXPECT_EQ(channels == 4 ? image->pixels : rgbOf(image->pixels), px);
        const auto info = readPngInfo(span(*file));
        ASSERT_TRUE(info);
        EXPECT_EQ(info->width, w);
        EXPECT_EQ(info->resolution.x, 11811.0);
        EXPECT_EQ(info->resolution.unit, 1);
        int32_t dw = 0, dh = 0;
        EXPECT_TRUE(readPngDims(span(*file), dw, dh));
        EXPECT_EQ(dw, w);
        EXPECT_EQ(dh, h);

        // The row writer makes the same file.
        const auto rows = writeWith(scratch("rows.png"), [&](FileDest d) {
            auto writer = startPngRows(d, w, h, channels, {11811.0, 11811.0, 1});
            if (!writer || writer->rowOrderBottomUp()) return false;
            for (int y = 0; y < h; ++y)
                if (!writer->writeRow(px.data() + size_t(y) * w * channels)) return false;
            return writer->finish();
        });
        ASSERT_TRUE(rows);
        EXPECT_EQ(*rows, *file);

        if (onPath("pngcheck")) EXPECT_EQ(run("pngcheck -q '" + path + "'"), 0);
        if (onPath("identify")) {
            // 11811 per metre is 299.9994 per inch, 118.11 per centimetre.
            EXPECT_EQ(captureText("identify -format '%w %h %[fx:round(resolution.x*100)] %U' '" + path + "'"),
                      std::to_string(w) + " " + std::to_string(h) + " 11811 PixelsPerCentimeter");
        }
    }
    // No resolution, no pHYs.
    const Bytes px = pattern(4, 4, 3);
    const auto plain = writeWith(scratch("plain.png"), [&](FileDest d) { return writePng(d, px.data(), 4, 4, 3, {}); });
    ASSERT_TRUE(plain);
    EXPECT_EQ(readPngInfo(span(*plain))->resolution.unit, 0);
    EXPECT_EQ(readPngInfo(span(*plain))->resolution.x, 0.0);
}

TEST(PngCodecTest, RowWriterCountsItsRows) {
    const Bytes row(8 * 3, 7);
    std::FILE* f = std::fopen(scratch("count.png").c_str(), "w+b");
    auto writer = startPngRows(FileDest{f}, 8, 2, 3, {});
    ASSERT_TRUE(writer);
    EXPECT_TRUE(writer->writeRow(row.data()));
    EXPECT_FALSE(writer->finish());  // one row short
    EXPECT_TRUE(writer->writeRow(row.data()));
    EXPECT_FALSE(writer->writeRow(row.data()));  // one too many
    EXPECT_FALSE(writer->writeRow(nullptr));
    EXPECT_TRUE(writer->finish());
    EXPECT_FALSE(writer->finish());
    writer.reset();
    std::fclose(f);
}

TEST(PngCodecTest, BadArgumentsAndForeignBytesAreRefused) {
    const Bytes px(4 * 4 * 4, 1);
    std::FILE* f = std::fopen(scratch("bad.png").c_str(), "w+b");
    EXPECT_FALSE(writePng(FileDest{nullptr}, px.data(), 4, 4, 4, {}));
    EXPECT_FALSE(writePng(FileDest{f}, nullptr, 4, 4, 4, {}));
    EXPECT_FALSE(writePng(FileDest{f}, px.data(), 0, 4, 4, {}));
    EXPECT_FALSE(writePng(FileDest{f}, px.data(), 4, -1, 4, {}));
    EXPECT_FALSE(writePng(FileDest{f}, px.data(), 4, 4, 2, {}));
    EXPECT_FALSE(startPngRows(FileDest{f}, 1 << 21, 1, 3, {}));
    std::fclose(f);

    EXPECT_FALSE(decodePng({}));
    EXPECT_FALSE(readPngInfo({}));
    const Bytes notPng = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0};
    EXPECT_FALSE(decodePng(span(notPng)));
    int32_t w = 5, h = 6;
    EXPECT_FALSE(readPngDims(span(notPng), w, h));
    EXPECT_EQ(w, 5);
    EXPECT_EQ(h, 6);
}

TEST(PngCodecTest, CorruptAndTruncatedFilesNeverMisbehave) {
    const int w = 40, h = 30;
    const Bytes px = pattern(w, h, 4);
    const auto file = writeWith(scratch("sweep.png"), [&](FileDest d) { return writePng(d, px.data(), w, h, 4, {2835, 2835, 1}); });
    ASSERT_TRUE(file);
    sweepCorruptions(*file, decodePng);
    sweepCorruptions(*file, [](ByteSpan b) -> std::optional<PixelImage> {
        if (!readPngInfo(b)) return std::nullopt;
        return PixelImage{1, 1, 4, Bytes(4)};
    });
    for (const char* name : {"tiny_grey2_interlaced.png", "tiny_palette_trns.png"}) {
        const Bytes small = readFile(std::string(DROVANE_TEST_DATA_DIR) + "/" + name);
        ASSERT_FALSE(small.empty()) << name;
        sweepCorruptions(small, decodePng);
    }
}

TEST(PngCodecTest, HugeSizesWithLittleDataAreRefusedBeforeAllocating) {
    const Bytes px(16 * 16 * 3, 50);
    auto file = *writeWith(scratch("bomb.png"), [&](FileDest d) { return writePng(d, px.data(), 16, 16, 3, {}); });
    // Announce 20000 x 20000 in IHDR and fix its CRC: the IDAT holds a few dozen bytes.
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
    };
    put32(16, 20000);
    put32(20, 20000);
    put32(29, static_cast<uint32_t>(crc32(0, file.data() + 12, 17)));
    ASSERT_TRUE(readPngInfo(span(file)));
    EXPECT_EQ(readPngInfo(span(file))->width, 20000);
    EXPECT_FALSE(decodePng(span(file)));
}

TEST(PngCodecTest, SmallFixturesDecodeAsImageMagickDoes) {
    SKIP_WITHOUT_MAGICK();
    for (const char* name : {"tiny_grey2_interlaced.png", "tiny_palette_trns.png"}) {
        SCOPED_TRACE(name);
        const std::string path = std::string(DROVANE_TEST_DATA_DIR) + "/" + name;
        const auto image = decodeFile(path);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->pixels, magickRgba(path));
    }
}
