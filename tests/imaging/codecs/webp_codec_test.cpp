#include <cstdio>
#include <cstring>

#include "imaging/lib/codecs/webp_codec.h"
#include "library_codec_support.h"

using namespace codectest;
using namespace dro::codecs;

TEST(WebpCodecTest, LosslessLossyAndAlphaFilesMatchImageMagick) {
    SKIP_WITHOUT_MAGICK();
    const int w = 41, h = 27;
    const std::string source = rgbaSource("webp-src", w, h, pattern(w, h, 4));
    struct Variant {
        const char* name;
        const char* options;
    };
    // Both sides run libwebp's decoder, so even lossy files must agree exactly.
    const Variant variants[] = {
        {"lossless-alpha", "-define webp:lossless=true"},
        {"lossless-opaque", "-alpha off -define webp:lossless=true"},
        {"lossy", "-alpha off -quality 80"},
        {"lossy-alpha", "-quality 80"},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name);
        const std::string path = scratch(std::string("var-") + v.name + ".webp");
        ASSERT_EQ(run("convert " + source + " " + v.options + " '" + path + "'"), 0);
        const Bytes file = readFile(path);
        const auto image = decodeWebp(span(file));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, w);
        EXPECT_EQ(image->height, h);
        EXPECT_EQ(image->pixels, magickRgba(path));
        const auto info = readWebpInfo(span(file));
        ASSERT_TRUE(info);
        EXPECT_EQ(info->height, h);
    }
}

TEST(WebpCodecTest, AnimationsGiveTheirFirstFrame) {
    SKIP_WITHOUT_MAGICK();
    const std::string path = scratch("anim.webp");
    ASSERT_EQ(run("convert -delay 10 -size 8x6 xc:red xc:blue -define webp:lossless=true -loop 0 '" + path + "'"), 0);
    const Bytes file = readFile(path);
    const auto image = decodeWebp(span(file));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->width, 8);
    ASSERT_EQ(image->height, 6);
    for (size_t i = 0; i < image->pixels.size(); i += 4)
        ASSERT_EQ((Bytes(image->pixels.begin() + i, image->pixels.begin() + i + 4)), (Bytes{255, 0, 0, 255}));
}

TEST(WebpCodecTest, LosslessWritesKeepEveryByte) {
    const int w = 37, h = 22;
    for (int channels : {3, 4}) {
        SCOPED_TRACE(channels);
        const Bytes px = pattern(w, h, channels);
        const std::string path = scratch("written.webp");
        const auto file = writeWith(path, [&](FileDest d) { return writeWebp(d, px.data(), w, h, channels, {true, 60}); });
        ASSERT_TRUE(file);
        const auto image = decodeWebp(span(*file));
        ASSERT_TRUE(image);
        // Colour under fully transparent pixels survives too.
        EXPECT_EQ(channels == 4 ? image->pixels : rgbOf(image->pixels), px);
        if (onPath("identify")) EXPECT_EQ(captureText("identify -format '%w %h' '" + path + "'"), "37 22");
    }
}

TEST(WebpCodecTest, LossyWritesStayClose) {
    const int w = 64, h = 48;
    const Bytes px = smooth(w, h, 4);
    const auto file = writeWith(scratch("lossy.webp"), [&](FileDest d) { return writeWebp(d, px.data(), w, h, 4, {false, 90}); });
    ASSERT_TRUE(file);
    const auto image = decodeWebp(span(*file));
    ASSERT_TRUE(image);
    EXPECT_LT(meanDifference(image->pixels, px), 2.0);
    const auto small = writeWith(scratch("lossy-low.webp"), [&](FileDest d) { return writeWebp(d, px.data(), w, h, 4, {false, 5}); });
    ASSERT_TRUE(small);
    EXPECT_LT(small->size(), file->size());  // quality reaches the encoder
}

TEST(WebpCodecTest, BadArgumentsAndCorruptFilesAreHandled) {
    const Bytes px(4 * 4 * 4, 3);
    std::FILE* f = std::fopen(scratch("bad.webp").c_str(), "w+b");
    EXPECT_FALSE(writeWebp(FileDest{nullptr}, px.data(), 4, 4, 4, {}));
    EXPECT_FALSE(writeWebp(FileDest{f}, nullptr, 4, 4, 4, {}));
    EXPECT_FALSE(writeWebp(FileDest{f}, px.data(), 0, 4, 4, {}));
    EXPECT_FALSE(writeWebp(FileDest{f}, px.data(), 20000, 4, 4, {}));
    EXPECT_FALSE(writeWebp(FileDest{f}, px.data(), 4, 4, 1, {}));
    std::fclose(f);
    EXPECT_FALSE(decodeWebp({}));
    EXPECT_FALSE(readWebpInfo({}));

    const Bytes pic = pattern(30, 20, 4);
    for (bool lossless : {true, false}) {
        const auto file = writeWith(scratch("sweep.webp"), [&](FileDest d) { return writeWebp(d, pic.data(), 30, 20, 4, {lossless, 50}); });
        ASSERT_TRUE(file);
        sweepCorruptions(*file, decodeWebp);
    }
    const Bytes tiny = readFile(std::string(DROVANE_TEST_DATA_DIR) + "/tiny_lossless_alpha.webp");
    ASSERT_FALSE(tiny.empty());
    ASSERT_TRUE(decodeWebp(span(tiny)));
    sweepCorruptions(tiny, decodeWebp);
}
