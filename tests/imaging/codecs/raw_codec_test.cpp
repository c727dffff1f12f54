#include <tiffio.h>

#include <cstring>

#include "imaging/lib/codecs/decode_notes.h"
#include "imaging/lib/codecs/raw_codec.h"
#include "library_codec_support.h"

using namespace codectest;
using namespace dro::codecs;

namespace {

// A minimal DNG: 12-bit Bayer data (RGGB) of a scene whose left half is lit and right
// half is dark, with the colour matrix and neutral point LibRaw needs to render it.
Bytes syntheticDng(int w, int h) {
    const std::string path = scratch("synthetic.dng");
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif) return {};
    static const uint8_t dngVersion[4] = {1, 4, 0, 0};
    static const uint16_t cfaDim[2] = {2, 2};
    static const uint8_t cfa[4] = {0, 1, 1, 2};
    static const float colorMatrix[9] = {1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f};
    static const float neutral[3] = {1.0f, 1.0f, 1.0f};
    static const uint32_t white[1] = {4095};
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, 0);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(w));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(h));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_CFA);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t(h));
    TIFFSetField(tif, TIFFTAG_MAKE, "Drovane");
    TIFFSetField(tif, TIFFTAG_MODEL, "Synthetic");
    TIFFSetField(tif, TIFFTAG_UNIQUECAMERAMODEL, "Drovane Synthetic");
    TIFFSetField(tif, TIFFTAG_DNGVERSION, dngVersion);
    TIFFSetField(tif, TIFFTAG_CFAREPEATPATTERNDIM, cfaDim);
    TIFFSetField(tif, TIFFTAG_CFAPATTERN, 4, cfa);
    TIFFSetField(tif, TIFFTAG_COLORMATRIX1, 9, colorMatrix);
    TIFFSetField(tif, TIFFTAG_ASSHOTNEUTRAL, 3, neutral);
    TIFFSetField(tif, TIFFTAG_CALIBRATIONILLUMINANT1, 21);
    TIFFSetField(tif, TIFFTAG_WHITELEVEL, 1, white);
    std::vector<uint16_t> samples(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) samples[size_t(y) * w + x] = x < w / 2 ? 3000 : 300;
    const bool ok = TIFFWriteEncodedStrip(tif, 0, samples.data(), tmsize_t(samples.size() * 2)) > 0;
    TIFFClose(tif);
    return ok ? readFile(path) : Bytes{};
}

}  // namespace

TEST(RawCodecTest, SyntheticDngDemosaicsToRgb) {
    const int w = 64, h = 48;
    const Bytes dng = syntheticDng(w, h);
    ASSERT_FALSE(dng.empty());
    const auto image = decodeRaw(span(dng));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->channels, 3);
    EXPECT_EQ(image->width, w);
    EXPECT_EQ(image->height, h);
    ASSERT_EQ(image->pixels.size(), size_t(w) * h * 3);
    // The lit half is brighter than the dark half in every channel, away from the seam.
    for (int c = 0; c < 3; ++c) {
        const int left = image->pixels[(size_t(h / 2) * w + 8) * 3 + c];
        const int right = image->pixels[(size_t(h / 2) * w + w - 8) * 3 + c];
        EXPECT_GT(left, right + 40) << c;
    }
}

TEST(RawCodecTest, OtherBytesAreRefused) {
    EXPECT_FALSE(decodeRaw({}));
    const Bytes text(4096, 'x');
    EXPECT_FALSE(decodeRaw(span(text)));
    const Bytes png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 1, 0, 0, 0, 1};
    EXPECT_FALSE(decodeRaw(span(png)));
}

TEST(RawCodecTest, CorruptAndTruncatedDngsNeverMisbehave) {
    const Bytes dng = syntheticDng(32, 24);
    ASSERT_FALSE(dng.empty());
    sweepCorruptions(dng, decodeRaw);
}

// LibRaw 0.20 reads a wild address identifying this forged DNG directory. The decode
// runs apart from us, so the file is refused with a reason and this process goes on.
TEST(RawCodecTest, AParserCrashIsAFailedFileNotAFailedHost) {
    const Bytes forged = readFile(std::string(DROVANE_TEST_DATA_DIR) + "/forged_tiff_directory.dng");
    ASSERT_FALSE(forged.empty());
    clearDecodeNotes();
    EXPECT_FALSE(decodeRaw(span(forged)));
    EXPECT_NE(decodeNotes().problem.find("camera raw decoder failed"), std::string::npos) << decodeNotes().problem;
    // And the next file decodes as before.
    EXPECT_TRUE(decodeRaw(span(syntheticDng(64, 48))));
}
