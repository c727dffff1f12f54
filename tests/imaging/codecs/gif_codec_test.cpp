#include <cstdio>
#include <cstring>
#include <set>

#include "imaging/lib/codecs/gif_codec.h"
#include "imaging/lib/codecs/quantize.h"
#include "library_codec_support.h"

using namespace codectest;
using namespace dro::codecs;

namespace {

std::optional<PixelImage> decodeFile(const std::string& path) {
    const Bytes b = readFile(path);
    return decodeGif(span(b));
}

// A palette of n distinct colours and an index picture using all of them.
struct Indexed {
    Bytes indices;
    Bytes palette = Bytes(256 * 3, 0);
};

Indexed indexed(int w, int h, int colours) {
    Indexed out;
    out.indices.resize(size_t(w) * h);
    for (size_t i = 0; i < out.indices.size(); ++i) out.indices[i] = static_cast<uint8_t>((i * 7 + i / w) % colours);
    for (int c = 0; c < colours; ++c) {
        out.palette[c * 3] = static_cast<uint8_t>(c * 37);
        out.palette[c * 3 + 1] = static_cast<uint8_t>(255 - c * 11);
        out.palette[c * 3 + 2] = static_cast<uint8_t>(c * c);
    }
    return out;
}

}  // namespace

TEST(GifCodecTest, FirstFramesMatchImageMagick) {
    SKIP_WITHOUT_MAGICK();
    const int w = 33, h = 19;
    Bytes px = pattern(w, h, 4);
    for (size_t i = 3; i < px.size(); i += 4) px[i] = px[i] < 128 ? 0 : 255;  // GIF alpha is on or off
    const std::string source = rgbaSource("gif-src", w, h, px);
    struct Variant {
        const char* name;
        const char* options;
    };
    const Variant variants[] = {
        {"transparent", "-colors 64"},
        {"opaque", "-alpha off -colors 200"},
        {"interlaced", "-colors 64 -interlace GIF"},
        {"two-colours", "-alpha off -monochrome"},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name);
        const std::string path = scratch(std::string("var-") + v.name + ".gif");
        ASSERT_EQ(run("convert " + source + " " + v.options + " '" + path + "'"), 0);
        const auto image = decodeFile(path);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, w);
        EXPECT_EQ(image->height, h);
        const Bytes expected = magickRgba(path);
        ASSERT_EQ(image->pixels.size(), expected.size());
        // Transparent pixels carry no colour; compare alpha there, everything elsewhere.
        for (size_t i = 0; i < expected.size(); i += 4) {
            ASSERT_EQ(image->pixels[i + 3], expected[i + 3]) << i;
            if (expected[i + 3] == 0) continue;
            ASSERT_EQ(0, std::memcmp(&image->pixels[i], &expected[i], 3)) << i;
        }
    }
    // Only frame 0 of an animation is read.
    const std::string anim = scratch("anim.gif");
    ASSERT_EQ(run("convert -size 6x4 xc:red xc:lime -loop 0 '" + anim + "'"), 0);
    const auto first = decodeFile(anim);
    ASSERT_TRUE(first);
    EXPECT_EQ((Bytes(first->pixels.begin(), first->pixels.begin() + 4)), (Bytes{255, 0, 0, 255}));
}

TEST(GifCodecTest, OffsetFrameLandsOnATransparentScreen) {
    SKIP_WITHOUT_MAGICK();
    const std::string path = scratch("offset.gif");
    ASSERT_EQ(run("convert -size 10x8 xc:red -fill blue -draw 'point 2,2' -repage 20x16+3+2 '" + path + "'"), 0);
    const auto image = decodeFile(path);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->width, 20);
    ASSERT_EQ(image->height, 16);
    const Bytes frame = magickRgba(path, "+repage");  // the frame's own 10 x 8 pixels
    ASSERT_EQ(frame.size(), 10u * 8 * 4);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 20; ++x) {
            const uint8_t* p = &image->pixels[(size_t(y) * 20 + x) * 4];
            const bool inside = x >= 3 && x < 13 && y >= 2 && y < 10;
            if (inside) {
                ASSERT_EQ(0, std::memcmp(p, &frame[(size_t(y - 2) * 10 + (x - 3)) * 4], 4)) << x << "," << y;
            } else {
                ASSERT_EQ(p[3], 0) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(image->pixels[(size_t(4) * 20 + 5) * 4 + 2], 255);  // the blue point at 2,2 of the frame
    const auto info = readGifInfo(span(readFile(path)));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->width, 20);
    EXPECT_EQ(info->resolution.unit, 0);
}

TEST(GifCodecTest, WrittenFilesKeepIndicesPaletteAndTransparency) {
    const int w = 23, h = 11;
    for (int colours : {2, 5, 16, 256}) {
        SCOPED_TRACE(colours);
        const Indexed pic = indexed(w, h, colours);
        const int transparent = colours > 2 ? 1 : -1;
        const std::string path = scratch("written.gif");
        const auto file = writeWith(path, [&](FileDest d) {
            return writeGif8(d, pic.indices.data(), w, h, pic.palette.data(), colours, transparent);
        });
        ASSERT_TRUE(file);
        const auto image = decodeGif(span(*file));
        ASSERT_TRUE(image);
        ASSERT_EQ(image->width, w);
        for (size_t i = 0; i < pic.indices.size(); ++i) {
            const int index = pic.indices[i];
            const uint8_t* p = &image->pixels[i * 4];
            if (index == transparent) {
                ASSERT_EQ(p[3], 0);
            } else {
                ASSERT_EQ(p[3], 255);
                ASSERT_EQ(0, std::memcmp(p, &pic.palette[size_t(index) * 3], 3)) << i;
            }
        }
        if (onPath("identify")) EXPECT_EQ(captureText("identify -format '%w %h' '" + path + "'"), "23 11");
        if (onPath("convert") && transparent < 0) EXPECT_EQ(magickRgba(path), image->pixels);
    }
}

TEST(GifCodecTest, BadArgumentsAreRefused) {
    const Indexed pic = indexed(4, 4, 4);
    std::FILE* f = std::fopen(scratch("bad.gif").c_str(), "w+b");
    const uint8_t* ix = pic.indices.data();
    const uint8_t* pal = pic.palette.data();
    EXPECT_FALSE(writeGif8(FileDest{nullptr}, ix, 4, 4, pal, 4, -1));
    EXPECT_FALSE(writeGif8(FileDest{f}, nullptr, 4, 4, pal, 4, -1));
    EXPECT_FALSE(writeGif8(FileDest{f}, ix, 4, 4, nullptr, 4, -1));
    EXPECT_FALSE(writeGif8(FileDest{f}, ix, 0, 4, pal, 4, -1));
    EXPECT_FALSE(writeGif8(FileDest{f}, ix, 70000, 1, pal, 4, -1));
    EXPECT_FALSE(writeGif8(FileDest{f}, ix, 4, 4, pal, 0, -1));
    EXPECT_FALSE(writeGif8(FileDest{f}, ix, 4, 4, pal, 257, -1));
    EXPECT_FALSE(writeGif8(FileDest{f}, ix, 4, 4, pal, 4, 4));
    EXPECT_FALSE(writeGif8(FileDest{f}, ix, 4, 4, pal, 3, -1));  // index 3 is outside three colours
    std::fclose(f);
    EXPECT_FALSE(decodeGif({}));
    const Bytes header = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0, 0, 0, ';'};
    EXPECT_FALSE(decodeGif(span(header)));  // a screen and no frame
}

TEST(GifCodecTest, CorruptTruncatedAndInflatedFilesNeverMisbehave) {
    const Indexed pic = indexed(40, 25, 50);
    const auto file = writeWith(scratch("sweep.gif"), [&](FileDest d) {
        return writeGif8(d, pic.indices.data(), 40, 25, pic.palette.data(), 50, 3);
    });
    ASSERT_TRUE(file);
    sweepCorruptions(*file, decodeGif);
    const Bytes tiny = readFile(std::string(DROVANE_TEST_DATA_DIR) + "/tiny_interlaced_transparent.gif");
    ASSERT_FALSE(tiny.empty());
    sweepCorruptions(tiny, decodeGif);
    ASSERT_TRUE(decodeGif(span(tiny)));

    // A screen of 60000 x 60000 over a frame of one pixel.
    const Bytes bomb = {'G', 'I', 'F', '8', '9', 'a', 0x60, 0xEA, 0x60, 0xEA, 0x80, 0, 0, 0, 0, 0, 255, 255, 255,
                        ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x4C, 0x01, 0, ';'};
    ASSERT_TRUE(readGifInfo(span(bomb)));
    EXPECT_FALSE(decodeGif(span(bomb)));
}

TEST(GifQuantizerTest, FewColoursAreKeptExactly) {
    const int w = 31, h = 17;
    Bytes rgb(size_t(w) * h * 3);
    const uint8_t colours[6][3] = {{0, 0, 0}, {255, 255, 255}, {200, 30, 40}, {10, 220, 90}, {60, 60, 250}, {128, 128, 0}};
    for (size_t i = 0; i < size_t(w) * h; ++i) std::memcpy(&rgb[i * 3], colours[(i / 3 + i / w) % 6], 3);
    Bytes indices(size_t(w) * h, 0xEE), palette(256 * 3, 0xEE);
    int32_t used = 0;
    ASSERT_TRUE(quantizeRgbTo8Bit(rgb.data(), w, h, w * 3, indices.data(), w, 256, palette.data(), used));
    ASSERT_GE(used, 6);
    ASSERT_LE(used, 256);
    for (size_t i = 0; i < indices.size(); ++i) {
        ASSERT_LT(indices[i], used);
        ASSERT_EQ(0, std::memcmp(&palette[size_t(indices[i]) * 3], &rgb[i * 3], 3)) << i;
    }
    for (size_t i = size_t(used) * 3; i < palette.size(); ++i) ASSERT_EQ(palette[i], 0);
}

TEST(GifQuantizerTest, RichPicturesStayCloseAndRunsRepeat) {
    const int w = 96, h = 64, stride = w * 3 + 5, indexStride = w + 3;  // padded rows on both sides
    const Bytes dense = smooth(w, h, 3);
    Bytes rgb(size_t(stride) * h, 0);
    for (int y = 0; y < h; ++y) std::memcpy(&rgb[size_t(y) * stride], &dense[size_t(y) * w * 3], size_t(w) * 3);
    auto runOnce = [&](int maxColours, Bytes& indices, Bytes& palette, int32_t& used) {
        indices.assign(size_t(indexStride) * h, 0xAB);
        palette.assign(256 * 3, 0);
        return quantizeRgbTo8Bit(rgb.data(), w, h, stride, indices.data(), indexStride, maxColours, palette.data(), used);
    };
    Bytes indices, palette, indices2, palette2;
    int32_t used = 0, used2 = 0;
    ASSERT_TRUE(runOnce(32, indices, palette, used));
    ASSERT_TRUE(runOnce(32, indices2, palette2, used2));
    EXPECT_EQ(indices, indices2);
    EXPECT_EQ(palette, palette2);
    EXPECT_EQ(used, used2);
    EXPECT_LE(used, 32);

    double error = 0;
    std::set<int> seen;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int index = indices[size_t(y) * indexStride + x];
            ASSERT_LT(index, used);
            seen.insert(index);
            for (int c = 0; c < 3; ++c) error += std::abs(int(palette[size_t(index) * 3 + c]) - int(dense[(size_t(y) * w + x) * 3 + c]));
        }
        // The padding between rows is left alone.
        for (int x = w; x < indexStride; ++x) ASSERT_EQ(indices[size_t(y) * indexStride + x], 0xAB);
    }
    EXPECT_LT(error / (w * h * 3), 12.0);
    EXPECT_GT(seen.size(), 16u);  // dithering mixes many palette entries
}

TEST(GifQuantizerTest, BadArgumentsAreRefused) {
    Bytes rgb(4 * 4 * 3, 1), indices(16), palette(768);
    int32_t used = -1;
    EXPECT_FALSE(quantizeRgbTo8Bit(nullptr, 4, 4, 12, indices.data(), 4, 256, palette.data(), used));
    EXPECT_FALSE(quantizeRgbTo8Bit(rgb.data(), 4, 4, 12, nullptr, 4, 256, palette.data(), used));
    EXPECT_FALSE(quantizeRgbTo8Bit(rgb.data(), 4, 4, 12, indices.data(), 4, 256, nullptr, used));
    EXPECT_FALSE(quantizeRgbTo8Bit(rgb.data(), 0, 4, 12, indices.data(), 4, 256, palette.data(), used));
    EXPECT_FALSE(quantizeRgbTo8Bit(rgb.data(), 4, 4, 11, indices.data(), 4, 256, palette.data(), used));
    EXPECT_FALSE(quantizeRgbTo8Bit(rgb.data(), 4, 4, 12, indices.data(), 3, 256, palette.data(), used));
    EXPECT_FALSE(quantizeRgbTo8Bit(rgb.data(), 4, 4, 12, indices.data(), 4, 1, palette.data(), used));
    EXPECT_FALSE(quantizeRgbTo8Bit(rgb.data(), 4, 4, 12, indices.data(), 4, 257, palette.data(), used));
    EXPECT_EQ(used, -1);
}
