#include "imaging/lib/codecs/byte_reader.h"
#include "imaging/lib/codecs/psd_codec.h"
#include "imaging/codecs/own_codec_support.h"

using namespace owncodec;
using namespace dro::codecs;

namespace {

struct PsdParts {
    uint16_t channels = 4, depth = 8, mode = 3;
    uint32_t width = 2, height = 1;
    std::vector<uint8_t> resources;
    int16_t layerCount = 0;  // 0: no layer section
    std::vector<uint8_t> planes;  // raw, channel after channel
};

std::vector<uint8_t> handPsd(const PsdParts& p) {
    std::vector<uint8_t> b;
    putU32BE(b, 0x38425053);
    putU16BE(b, 1);
    b.resize(b.size() + 6, 0);
    putU16BE(b, p.channels);
    putU32BE(b, p.height);
    putU32BE(b, p.width);
    putU16BE(b, p.depth);
    putU16BE(b, p.mode);
    putU32BE(b, 0);
    putU32BE(b, uint32_t(p.resources.size()));
    b.insert(b.end(), p.resources.begin(), p.resources.end());
    if (p.layerCount == 0) {
        putU32BE(b, 0);
    } else {
        putU32BE(b, 6);
        putU32BE(b, 2);
        putU16BE(b, uint16_t(p.layerCount));
    }
    putU16BE(b, 0);
    b.insert(b.end(), p.planes.begin(), p.planes.end());
    return b;
}

std::vector<uint8_t> resource(uint16_t id, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> r;
    putU32BE(r, 0x3842494D);
    putU16BE(r, id);
    putU16BE(r, 0);
    putU32BE(r, uint32_t(data.size()));
    r.insert(r.end(), data.begin(), data.end());
    if (data.size() % 2) r.push_back(0);
    return r;
}

std::vector<uint8_t> alphaName(const std::string& name) {
    std::vector<uint8_t> d = {uint8_t(name.size())};
    d.insert(d.end(), name.begin(), name.end());
    return resource(0x03EE, d);
}

}  // namespace

TEST(PsdCodecTest, MatchesImageMagick) {
    if (!haveTool("convert")) GTEST_SKIP() << "ImageMagick not installed";
    const int w = 29, h = 11;
    const auto src = pattern(w, h, 4, 8);
    struct Variant {
        const char* options;
        uint16_t channels, depth, mode, compression;
        const char* frame = "[0]";  // the merged image
    };
    const Variant variants[] = {
        {"-alpha off -type TrueColor", 3, 8, 3, 1},
        {"-alpha off -type TrueColor -compress None", 3, 8, 3, 0},
        {"-type TrueColorAlpha", 4, 8, 3, 1},
        {"-alpha off -type TrueColor -depth 16", 3, 16, 3, 1},
        {"-alpha off -type Grayscale", 1, 8, 1, 1},
        // ImageMagick misreads its own grey + alpha merged image; its single layer holds
        // the same pixels and reads right.
        {"-type GrayscaleAlpha -compress None", 2, 8, 1, 0, "[1]"},
        {"-alpha off -type Grayscale -depth 16 -compress None", 1, 16, 1, 0},
    };
    for (const auto& v : variants) {
        SCOPED_TRACE(v.options);
        const auto path = scratch("magick.psd");
        ASSERT_TRUE(magickMake(src, w, h, v.options, "PSD:" + path.string()));
        const auto bytes = readBytes(path);
        ByteReader r(bytes, 12);
        EXPECT_EQ(r.u16be(), v.channels);
        r.skip(8);
        EXPECT_EQ(r.u16be(), v.depth);
        EXPECT_EQ(r.u16be(), v.mode);
        const auto ours = decodePsd(bytes);
        const auto theirs = magickRgba(path.string() + v.frame, w, h);
        ASSERT_TRUE(ours && theirs);
        // ImageMagick takes the merged colours of a transparent document as matted on
        // white and takes the white out again; its own writer never put it in. Colours
        // compare where the alpha leaves no doubt. 16-bit samples: it rounds, we keep the
        // high byte.
        const int tolerance = v.depth == 16 ? 1 : 0;
        for (size_t i = 0; i < theirs->size(); ++i) {
            if (i % 4 != 3 && ours->pixels[i | 3] != 255) continue;
            ASSERT_NEAR(ours->pixels[i], (*theirs)[i], tolerance) << i;
        }
        survivesDamage(bytes, [](ByteSpan b) { return decodePsd(b); });
    }
}

TEST(PsdCodecTest, FourthChannelIsAlphaOnlyWhenTheDocumentSaysSoOrSaysNothing) {
    PsdParts p;
    p.planes = {10, 20, 30, 40, 50, 60, 0, 128};  // R, G, B, fourth channel
    auto img = decodePsd(handPsd(p));  // nothing said: alpha
    ASSERT_TRUE(img);
    EXPECT_EQ(img->pixels, (std::vector<uint8_t>{10, 30, 50, 0, 20, 40, 60, 128}));

    p.resources = alphaName("Alpha 1");  // a saved selection, not transparency
    img = decodePsd(handPsd(p));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->pixels[3], 255);
    EXPECT_EQ(img->pixels[7], 255);

    p.layerCount = -1;  // the merged result's transparency, whatever the name
    img = decodePsd(handPsd(p));
    EXPECT_EQ(img->pixels[3], 0);

    p.layerCount = 0;
    p.resources = alphaName("Transparency");
    img = decodePsd(handPsd(p));
    EXPECT_EQ(img->pixels[7], 128);
}

TEST(PsdCodecTest, MergedColoursMattedOnWhiteAreRestored) {
    // Colours blended onto white the way Photoshop stores a transparent document.
    const int colours[3][4] = {{200, 50, 20, 128}, {10, 100, 250, 64}, {0, 0, 0, 0}};
    PsdParts p;
    p.width = 3;
    p.planes.resize(12);
    for (int x = 0; x < 3; ++x) {
        const int a = colours[x][3];
        for (int c = 0; c < 3; ++c)
            p.planes[size_t(c * 3 + x)] = uint8_t((colours[x][c] * a + 255 * (255 - a) + 127) / 255);
        p.planes[size_t(9 + x)] = uint8_t(a);
    }
    auto img = decodePsd(handPsd(p));
    ASSERT_TRUE(img);
    for (int x = 0; x < 2; ++x) {
        // The blend kept 8 bits of a * colour; dividing by a small alpha magnifies that step.
        const int tolerance = 255 / colours[x][3];
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(img->pixels[size_t(x * 4 + c)], colours[x][c], tolerance) << x << c;
    }
    EXPECT_EQ(img->pixels[11], 0);

    // One stored colour darker than the white share: not matted, so nothing is changed.
    p.planes[2] = 30;  // red of the fully transparent pixel
    img = decodePsd(handPsd(p));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->pixels[0], p.planes[0]);
    EXPECT_EQ(img->pixels[5], p.planes[4]);
}

TEST(PsdCodecTest, ResolutionInfoInInchesOrCentimetres) {
    auto info = [](uint16_t unit) {
        std::vector<uint8_t> res;
        putU32BE(res, 300u << 16);
        putU16BE(res, unit);
        putU16BE(res, unit);
        putU32BE(res, 150u << 16);
        putU16BE(res, unit);
        putU16BE(res, unit);
        PsdParts p;
        p.channels = 3;
        p.planes = std::vector<uint8_t>(6, 1);
        p.resources = resource(0x0400, {1, 2, 3});  // an unrelated resource first, odd-sized
        const auto r = resource(0x03ED, res);
        p.resources.insert(p.resources.end(), r.begin(), r.end());
        return readPsdInfo(handPsd(p));
    };
    const auto inch = info(1);
    ASSERT_TRUE(inch);
    EXPECT_EQ(inch->resolution.x, 300);
    EXPECT_EQ(inch->resolution.y, 150);
    EXPECT_EQ(inch->resolution.unit, 2);
    const auto cm = info(2);  // stored per inch, shown per centimetre
    EXPECT_NEAR(cm->resolution.x, 300 / 2.54, 1e-9);
    EXPECT_EQ(cm->resolution.unit, 3);
    PsdParts none;
    none.planes = std::vector<uint8_t>(8, 1);
    EXPECT_EQ(readPsdInfo(handPsd(none))->resolution.unit, 0);
}

TEST(PsdCodecTest, PackBitsRowsAreBoundedAndChecked) {
    // Encoder and decoder agree on literal and run mixtures, including 128-byte limits.
    std::mt19937 rng(5);
    std::vector<uint8_t> row(1000);
    for (size_t i = 0; i < row.size(); ++i) row[i] = (i / 50) % 2 ? uint8_t(rng() % 3) : uint8_t(i < 300 ? 7 : rng());
    std::vector<uint8_t> code;
    packBitsRow(row.data(), row.size(), code);
    EXPECT_LT(code.size(), row.size());
    const int w = int(row.size()), h = 1;
    std::vector<uint8_t> rgb(size_t(w) * 3);
    for (int x = 0; x < w; ++x) rgb[x * 3] = rgb[x * 3 + 1] = rgb[x * 3 + 2] = row[x];
    std::vector<uint8_t> file;
    ASSERT_TRUE(writeWith(scratch("pb.psd"), [&](FileDest d) { return writePsd(d, rgb.data(), w, h, 3, true, {}); }, file));
    const auto img = decodePsd(file);
    ASSERT_TRUE(img);
    for (int x = 0; x < w; ++x) ASSERT_EQ(img->pixels[x * 4], row[x]) << x;
    survivesDamage(file, [](ByteSpan b) { return decodePsd(b); });

    // Too few planes, a zero-size document, 32-bit depth, a bomb of a row table.
    PsdParts p;
    p.planes = std::vector<uint8_t>(7, 1);
    EXPECT_FALSE(decodePsd(handPsd(p)));
    p.width = 0;
    EXPECT_FALSE(decodePsd(handPsd(p)));
    p = PsdParts{};
    p.depth = 32;
    p.planes = std::vector<uint8_t>(32, 1);
    EXPECT_FALSE(decodePsd(handPsd(p)));
    p = PsdParts{};
    p.width = p.height = 30000;
    auto bomb = handPsd(p);
    bomb[bomb.size() - 1] = 1;  // PackBits, with no row table at all
    EXPECT_FALSE(decodePsd(bomb));
    EXPECT_FALSE(decodePsd({}));
}

TEST(PsdCodecTest, WriterRoundTripsWithResolutionAndIsReadByOthers) {
    const int w = 17, h = 5;
    const auto rgba = pattern(w, h, 4, 6);
    for (bool packBits : {false, true}) {
        SCOPED_TRACE(packBits);
        std::vector<uint8_t> file;
        const auto path = scratch(packBits ? "rle.psd" : "raw.psd");
        ASSERT_TRUE(writeWith(path, [&](FileDest d) { return writePsd(d, rgba.data(), w, h, 4, packBits, {300, 300, 2}); }, file));
        const auto img = decodePsd(file);
        ASSERT_TRUE(img);
        for (size_t i = 0; i < size_t(w) * h; ++i) {
            for (int c = 0; c < 3; ++c) ASSERT_EQ(img->pixels[i * 4 + c], rgba[i * 4 + c]);
            ASSERT_EQ(img->pixels[i * 4 + 3], 255);
        }
        const auto info = readPsdInfo(file);
        EXPECT_EQ(info->resolution.x, 300);
        EXPECT_EQ(info->resolution.unit, 2);
        if (!haveTool("identify")) continue;
        EXPECT_EQ(identify(path, "%m %w %h %x %U"), "PSD 17 5 300 PixelsPerInch");
        const auto theirs = magickRgba(path.string() + "[0]", w, h);
        ASSERT_TRUE(theirs);
        EXPECT_EQ(*theirs, img->pixels);
    }
    std::vector<uint8_t> cmFile;
    ASSERT_TRUE(writeWith(scratch("cm.psd"), [&](FileDest d) { return writePsd(d, rgba.data(), w, h, 4, false, {40, 40, 3}); }, cmFile));
    EXPECT_NEAR(readPsdInfo(cmFile)->resolution.x, 40, 1e-4);
    EXPECT_EQ(readPsdInfo(cmFile)->resolution.unit, 3);
    FILE* f = std::tmpfile();
    EXPECT_FALSE(writePsd(FileDest{f}, rgba.data(), 30001, 1, 4, false, {}));
    std::fclose(f);
}
