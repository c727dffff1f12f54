#include "imaging/lib/codecs/byte_reader.h"
#include "imaging/lib/codecs/metafile_codec.h"
#include "imaging/codecs/own_codec_support.h"

using namespace owncodec;
using namespace dro::codecs;

namespace {

// A packed 24-bit bottom-up DIB of w x h from top-down RGB rows.
std::vector<uint8_t> packedDib(int w, int h, const std::vector<uint8_t>& rgb) {
    std::vector<uint8_t> d;
    putU32LE(d, 40);
    putU32LE(d, uint32_t(w));
    putU32LE(d, uint32_t(h));
    putU16LE(d, 1);
    putU16LE(d, 24);
    for (int i = 0; i < 6; ++i) putU32LE(d, 0);
    const size_t stride = (size_t(w) * 3 + 3) & ~size_t{3};
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x)
            for (int c = 2; c >= 0; --c) d.push_back(rgb[(size_t(y) * w + x) * 3 + c]);
        d.resize(d.size() + stride - size_t(w) * 3, 0);
    }
    return d;
}

void wmfRecord(std::vector<uint8_t>& f, uint16_t function, const std::vector<int16_t>& params,
               const std::vector<uint8_t>& tail = {}, uint32_t rop = 0) {
    const bool hasRop = rop != 0;
    putU32LE(f, uint32_t(3 + params.size() + (hasRop ? 2 : 0) + tail.size() / 2));
    putU16LE(f, function);
    if (hasRop) putU32LE(f, rop);
    for (int16_t p : params) putU16LE(f, uint16_t(p));
    f.insert(f.end(), tail.begin(), tail.end());
}

std::vector<uint8_t> wmfStart(bool placeable, int16_t right, int16_t bottom, uint16_t inch) {
    std::vector<uint8_t> f;
    if (placeable) {
        putU32LE(f, 0x9AC6CDD7);
        putU16LE(f, 0);
        putU16LE(f, 0);
        putU16LE(f, 0);
        putU16LE(f, uint16_t(right));
        putU16LE(f, uint16_t(bottom));
        putU16LE(f, inch);
        putU32LE(f, 0);
        putU16LE(f, 0);
    }
    putU16LE(f, 1);
    putU16LE(f, 9);
    putU16LE(f, 0x0300);
    putU32LE(f, 0);
    putU16LE(f, 0);
    putU32LE(f, 0);
    putU16LE(f, 0);
    return f;
}

std::vector<uint8_t> at(const PixelImage& img, int x, int y) {
    const uint8_t* p = &img.pixels[(size_t(y) * img.width + x) * 3];
    return {p[0], p[1], p[2]};
}

constexpr uint32_t kSrcCopy = 0x00CC0020;

}  // namespace

TEST(MetafileCodecTest, OurEmfRendersBackAtItsNaturalSizeAndScales) {
    const int w = 21, h = 10;
    const auto rgb = pattern(w, h, 3, 12);
    std::vector<uint8_t> file;
    ASSERT_TRUE(writeWith(scratch("w.emf"), [&](FileDest d) { return writeEmf(d, rgb.data(), w, h); }, file));
    // The header's byte count and record count describe the file.
    ByteReader r(file, 48);
    EXPECT_EQ(r.u32le(), file.size());
    EXPECT_EQ(r.u32le(), 3u);
    size_t records = 0, pos = 0;
    uint32_t last = 0;
    while (pos < file.size()) {
        ByteReader rec(file, pos);
        last = rec.u32le();
        pos += rec.u32le();
        ++records;
    }
    EXPECT_EQ(pos, file.size());
    EXPECT_EQ(records, 3u);
    EXPECT_EQ(last, 14u);

    EXPECT_TRUE(isEmf(file));
    EXPECT_FALSE(isWmf(file));
    const auto info = readMetafileInfo(file);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->width, w);
    EXPECT_EQ(info->height, h);
    const auto same = renderMetafile(file, w, h, 0);
    ASSERT_TRUE(same);
    EXPECT_EQ(same->channels, 3);
    EXPECT_EQ(same->pixels, rgb);
    const auto twice = renderMetafile(file, 2 * w, 2 * h, 0);
    ASSERT_TRUE(twice);
    for (int y = 0; y < 2 * h; ++y)
        for (int x = 0; x < 2 * w; ++x) ASSERT_EQ(at(*twice, x, y), at(*same, x / 2, y / 2)) << x << "," << y;

    FILE* f = std::tmpfile();
    EXPECT_FALSE(writeEmf(FileDest{f}, nullptr, w, h));
    EXPECT_FALSE(writeEmf(FileDest{f}, rgb.data(), 0, h));
    std::fclose(f);
    EXPECT_FALSE(renderMetafile(file, 0, 5, 0));
    EXPECT_FALSE(renderMetafile({}, 5, 5, 0));
}

TEST(MetafileCodecTest, PlaceableWmfDrawsItsBitmapOnTheBackground) {
    // A 100 x 50 unit box at 1440 units per inch; a 2 x 1 DIB (red, blue) stretched into
    // the right half, mirrored (negative width).
    auto f = wmfStart(true, 100, 50, 1440);
    wmfRecord(f, 0x0201, {0, 0});  // SETBKCOLOR: not raster, passed over
    const auto dib = packedDib(2, 1, {255, 0, 0, 0, 0, 255});
    // META_STRETCHDIB: rop, usage, srcH, srcW, ySrc, xSrc, destH, destW, yDst, xDst, DIB.
    wmfRecord(f, 0x0F43, {0, 1, 2, 0, 0, 50, -50, 0, 100}, dib, kSrcCopy);
    wmfRecord(f, 0x0000, {});
    const auto info = readMetafileInfo(f);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->width, 7);  // 100 / 1440 inch at 96 dpi = 6.67
    EXPECT_EQ(info->height, 3);
    const auto img = renderMetafile(f, 20, 10, 0x00336699);  // COLORREF: r 0x99, g 0x66, b 0x33
    ASSERT_TRUE(img);
    EXPECT_EQ(at(*img, 0, 0), (std::vector<uint8_t>{0x99, 0x66, 0x33}));
    EXPECT_EQ(at(*img, 9, 9), (std::vector<uint8_t>{0x99, 0x66, 0x33}));
    EXPECT_EQ(at(*img, 10, 5), (std::vector<uint8_t>{0, 0, 255}));  // mirrored: blue comes first
    EXPECT_EQ(at(*img, 19, 5), (std::vector<uint8_t>{255, 0, 0}));
}

TEST(MetafileCodecTest, PlainWmfTakesItsFrameFromTheWindow) {
    auto f = wmfStart(false, 0, 0, 0);
    wmfRecord(f, 0x020B, {10, 10});  // window origin (y, x)
    wmfRecord(f, 0x020C, {40, 40});  // window extent (y, x)
    const auto dib = packedDib(1, 1, {0, 200, 0});
    // META_DIBBITBLT with a bitmap: rop, ySrc, xSrc, height, width, yDest, xDest, DIB.
    wmfRecord(f, 0x0940, {0, 0, 20, 20, 10, 10}, dib, kSrcCopy);
    // META_DIBSTRETCHBLT without a bitmap (a brush blit): passed over.
    wmfRecord(f, 0x0B41, {1, 1, 0, 0, 0, 40, 40, 10, 10}, {}, 0x00F00021);
    // A record claiming more words than the file holds ends the walk, not the process.
    putU32LE(f, 100000);
    putU16LE(f, 0x0F43);
    const auto info = readMetafileInfo(f);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->width, 40);
    const auto img = renderMetafile(f, 40, 40, 0xFFFFFF);
    ASSERT_TRUE(img);
    // BITBLT does not stretch the 1 x 1 source: only the first pixel of the destination
    // (the window origin, so the picture's corner) lies over it; the rest stays background.
    EXPECT_EQ(at(*img, 0, 0), (std::vector<uint8_t>{0, 200, 0}));
    EXPECT_EQ(at(*img, 1, 0), (std::vector<uint8_t>{255, 255, 255}));
    EXPECT_EQ(at(*img, 39, 39), (std::vector<uint8_t>{255, 255, 255}));
    survivesDamage(f, [](ByteSpan b) { return renderMetafile(b, 16, 16, 0); });
}

TEST(MetafileCodecTest, EmfRecordsWithBadOffsetsOrHugeCountsAreHarmless) {
    const int w = 6, h = 4;
    const auto rgb = pattern(w, h, 3, 2);
    std::vector<uint8_t> file;
    ASSERT_TRUE(writeWith(scratch("d.emf"), [&](FileDest d) { return writeEmf(d, rgb.data(), w, h); }, file));
    // Copy the bitmap record many times: the painting budget ends the work early, and
    // what was drawn stays right.
    ByteReader head(file, 4);
    const uint32_t headerSize = head.u32le();
    ByteReader rec(file, headerSize + 4);
    const uint32_t recordSize = rec.u32le();
    std::vector<uint8_t> many(file.begin(), file.begin() + headerSize);
    for (int i = 0; i < 200; ++i)
        many.insert(many.end(), file.begin() + headerSize, file.begin() + headerSize + recordSize);
    many.insert(many.end(), file.end() - 20, file.end());
    const auto img = renderMetafile(many, w, h, 0);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->pixels, rgb);

    // The bitmap offset pointing past its record: nothing drawn.
    auto bad = file;
    bad[headerSize + 8 + 16 + 24] = 0xF0;  // offBmiSrc
    const auto none = renderMetafile(bad, w, h, 0x000000FF);
    ASSERT_TRUE(none);
    EXPECT_EQ(at(*none, 0, 0), (std::vector<uint8_t>{255, 0, 0}));
    survivesDamage(file, [](ByteSpan b) { return renderMetafile(b, 12, 9, 0); });
}
