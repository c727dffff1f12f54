#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/engine_fixture.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

class ImageFilesTest : public EngineTest {
protected:
    std::string path(const std::string& name) const { return scratch_.path(name); }

    static std::vector<uint8_t> rgbOf(const std::vector<uint8_t>& rgba) {
        std::vector<uint8_t> rgb;
        for (size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), rgba.begin() + i, rgba.begin() + i + 3);
        return rgb;
    }

    // Reads a file into the import buffer and returns it as RGBA32.
    static std::vector<uint8_t> readBack(const std::string& file, int w, int h) {
        EXPECT_EQ(DRO_ReadFromFile(file.c_str()), 1) << file;
        EXPECT_EQ(DRO_GetNewRGBAWidth(), w);
        EXPECT_EQ(DRO_GetNewRGBAHeight(), h);
        std::vector<uint8_t> out(static_cast<size_t>(w) * h * 4);
        DRO_GetNewRGBA32(out.data());
        return out;
    }

    ScratchDir scratch_{"drovane_files"};
};

TEST_F(ImageFilesTest, LosslessFormatsRoundTripExactly) {
    const int w = 37, h = 23;
    auto rgba = randomRGBA32(w, h, 7);
    for (const char* ext : {".png", ".tga", ".tif"}) {
        const std::string file = path(std::string("a") + ext);
        ASSERT_NE(DRO_WriteToFileRGBA32(rgba.data(), w, h, file.c_str(), ext, 72), 0) << ext;
        EXPECT_EQ(readBack(file, w, h), rgba) << ext;
    }
    const auto rgb = rgbOf(rgba);
    for (const char* ext : {".bmp", ".png", ".pcx", ".psd"}) {
        const std::string file = path(std::string("b") + ext);
        ASSERT_NE(DRO_WriteToFileRGB24(rgb.data(), w, h, file.c_str(), ext, 72), 0) << ext;
        EXPECT_EQ(rgbOf(readBack(file, w, h)), rgb) << ext;
        EXPECT_EQ(DRO_IsNewRGBA32Transparent(), 0) << ext;
    }
}

TEST_F(ImageFilesTest, ExtensionsIgnoreCaseAndUnknownOnesWriteNothing) {
    const int w = 4, h = 3;
    const auto rgba = randomRGBA32(w, h, 3);
    const std::string upper = path("up.PNG");
    ASSERT_NE(DRO_WriteToFileRGBA32(rgba.data(), w, h, upper.c_str(), ".PNG", 72), 0);
    EXPECT_EQ(readBack(upper, w, h), rgba);

    // An existing file survives a write with an extension no writer knows.
    const std::string kept = path("kept.xyz");
    { std::ofstream(kept) << "precious"; }
    EXPECT_EQ(DRO_WriteToFileRGBA32(rgba.data(), w, h, kept.c_str(), ".xyz", 72), 0);
    EXPECT_EQ(DRO_WriteToFileRGB24(rgba.data(), w, h, kept.c_str(), ".tga", 72), 0);  // .tga is RGBA32 only
    std::ifstream in(kept);
    std::string content;
    in >> content;
    EXPECT_EQ(content, "precious");
    EXPECT_EQ(DRO_WriteToFileRGB24(rgba.data(), w, h, kept.c_str(), nullptr, 72), 0);
    EXPECT_EQ(DRO_WriteToFileRGB24(nullptr, w, h, kept.c_str(), ".png", 72), 0);
    EXPECT_EQ(DRO_WriteToFileRGB24(rgba.data(), 0, h, kept.c_str(), ".png", 72), 0);
}

TEST_F(ImageFilesTest, MetafilesHoldTheBitmapAndWmfIsNotWrittenAsTheEnhancedForm) {
    const int w = 16, h = 9;
    const auto rgb = rgbOf(randomRGBA32(w, h, 11));
    const std::string emf = path("p.emf"), wmf = path("p.wmf");
    ASSERT_NE(DRO_WriteToFileRGB24(rgb.data(), w, h, emf.c_str(), ".emf", 72), 0);
    // Enhanced-metafile data under a .wmf name would mislabel the file: refused.
    EXPECT_EQ(DRO_WriteToFileRGB24(rgb.data(), w, h, wmf.c_str(), ".wmf", 72), 0);
    EXPECT_FALSE(fs::exists(wmf));
    EXPECT_NE(std::string(DRO_GetFileMessage()).find("unknown extension '.wmf'"), std::string::npos);

    // Read back at a canvas of the same size, it is the bitmap itself.
    openCanvas(w, h);
    std::vector<uint8_t> back(static_cast<size_t>(w) * h * 3);
    ASSERT_EQ(DRO_ReadFromFileRGB24(back.data(), w, h, emf.c_str()), 1);
    EXPECT_EQ(back, rgb);
}

TEST_F(ImageFilesTest, SizeCheckedReadsLeaveTheDestinationAloneOnMismatch) {
    const int w = 6, h = 5;
    const auto rgba = randomRGBA32(w, h, 5);
    const std::string file = path("s.png");
    ASSERT_NE(DRO_WriteToFileRGBA32(rgba.data(), w, h, file.c_str(), ".png", 72), 0);
    std::vector<uint8_t> dest(static_cast<size_t>(w + 1) * h * 4, 0xAB);
    const auto untouched = dest;
    EXPECT_EQ(DRO_ReadFromFileRGBA32(dest.data(), w + 1, h, file.c_str()), 0);
    EXPECT_EQ(DRO_ReadFromFileRGB24(dest.data(), w, h - 1, file.c_str()), 0);
    EXPECT_EQ(dest, untouched);
    ASSERT_EQ(DRO_ReadFromFileRGBA32(dest.data(), w, h, file.c_str()), 1);
    EXPECT_TRUE(std::equal(rgba.begin(), rgba.end(), dest.begin()));
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
    ASSERT_EQ(DRO_ReadFromFileRGB24(rgb.data(), w, h, file.c_str()), 1);
    EXPECT_EQ(rgb, rgbOf(rgba));
    EXPECT_EQ(DRO_ReadFromFileRGBA32(nullptr, w, h, file.c_str()), 0);
}

TEST_F(ImageFilesTest, FailedReadsKeepThePreviousImportBuffer) {
    const auto rgba = randomRGBA32(3, 2, 9);
    const std::string good = path("g.png"), bad = path("bad.png");
    ASSERT_NE(DRO_WriteToFileRGBA32(rgba.data(), 3, 2, good.c_str(), ".png", 72), 0);
    { std::ofstream(bad, std::ios::binary) << "\x89PNG\r\n\x1a\nnot really"; }
    ASSERT_EQ(DRO_ReadFromFile(good.c_str()), 1);
    EXPECT_EQ(DRO_ReadFromFile(bad.c_str()), 0);
    EXPECT_EQ(DRO_ReadFromFile(path("missing.png").c_str()), 0);
    EXPECT_EQ(DRO_ReadFromFile(nullptr), 0);
    EXPECT_EQ(DRO_ReadFromFileRAW(good.c_str()), 0);
    EXPECT_EQ(readBack(good, 3, 2), rgba);
    EXPECT_EQ(DRO_IsNewRGBA32Transparent(), 1);

    DRO_DeleteNewRGBA();
    EXPECT_EQ(DRO_IsNewRGBA32Transparent(), 0);
    std::vector<uint8_t> dest(24, 0x5A);
    DRO_GetNewRGBA32(dest.data());
    DRO_GetNewRGBA24(dest.data());
    DRO_GetResizedNewRGBA24(dest.data(), 2, 2);
    EXPECT_EQ(dest, std::vector<uint8_t>(24, 0x5A));
}

TEST_F(ImageFilesTest, ResolutionIsStoredAndSnapped) {
    const auto rgba = randomRGBA32(8, 8, 2);
    const auto rgb = rgbOf(rgba);
    struct Case {
        const char* ext;
        bool alpha;
        int dpi;
        int expected;
    };
    for (const Case& c : {Case{".png", true, 300, 300}, Case{".tif", true, 600, 600}, Case{".bmp", false, 300, 300},
                          Case{".jpg", false, 150, 150}, Case{".png", false, 96, 96}, Case{".png", true, 240, 72},
                          Case{".tif", true, 451, 450}, Case{".psd", false, 150, 150}, Case{".webp", true, 300, 300}}) {
        const std::string file = path(std::string("r") + std::to_string(c.dpi) + c.ext);
        const int written = c.alpha ? DRO_WriteToFileRGBA32(rgba.data(), 8, 8, file.c_str(), c.ext, c.dpi)
                                    : DRO_WriteToFileRGB24(rgb.data(), 8, 8, file.c_str(), c.ext, c.dpi);
        ASSERT_NE(written, 0) << c.ext;
        EXPECT_EQ(DRO_GetDPIFromFile(file.c_str()), c.expected) << c.ext << " at " << c.dpi;
    }
    EXPECT_EQ(DRO_GetDPIFromFile(path("none.png").c_str()), 72);
    EXPECT_EQ(DRO_GetDPIFromFile(nullptr), 72);
}

TEST_F(ImageFilesTest, PngDimensionsOnlyForPng) {
    const auto rgba = randomRGBA32(9, 4, 2);
    const std::string png = path("d.png"), tga = path("d.tga");
    ASSERT_NE(DRO_WriteToFileRGBA32(rgba.data(), 9, 4, png.c_str(), ".png", 72), 0);
    ASSERT_NE(DRO_WriteToFileRGBA32(rgba.data(), 9, 4, tga.c_str(), ".tga", 72), 0);
    EXPECT_EQ(DRO_GetWidthFromPNG(png.c_str()), 9);
    EXPECT_EQ(DRO_GetHeightFromPNG(png.c_str()), 4);
    EXPECT_EQ(DRO_GetWidthFromPNG(tga.c_str()), 0);
    EXPECT_EQ(DRO_GetHeightFromPNG(path("missing").c_str()), 0);
}

TEST_F(ImageFilesTest, ThumbnailsTakeTheLongSideToTheEdge) {
    struct Case {
        int w, h, edge, tw, th;
    };
    for (const Case& c : {Case{400, 100, 200, 200, 50}, Case{100, 400, 200, 50, 200}, Case{30, 20, 60, 60, 40},
                          Case{1000, 1, 10, 10, 1}}) {
        std::vector<uint8_t> rgba(static_cast<size_t>(c.w) * c.h * 4, 0);  // fully transparent
        const std::string source = path("t.png"), thumb = path("t.bmp");
        ASSERT_NE(DRO_WriteToFileRGBA32(rgba.data(), c.w, c.h, source.c_str(), ".png", 72), 0);
        EXPECT_EQ(DRO_MakeThumbnail(source.c_str(), thumb.c_str(), c.edge), 0);
        const auto out = readBack(thumb, c.tw, c.th);
        // Transparent pixels are shown on white.
        for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], 255) << c.w << "x" << c.h;
    }
    EXPECT_EQ(DRO_MakeThumbnail(path("missing.png").c_str(), path("x.bmp").c_str(), 10), 0);
    EXPECT_FALSE(fs::exists(path("x.bmp")));
}

TEST_F(ImageFilesTest, WebPicturesShrinkIntoTheBoxButNeverGrow) {
    struct Case {
        int w, h, maxW, maxH, tw, th;
    };
    for (const Case& c : {Case{100, 80, 640, 480, 100, 80}, Case{800, 200, 400, 400, 400, 100},
                          Case{200, 800, 400, 400, 100, 400}}) {
        std::vector<uint8_t> rgb(static_cast<size_t>(c.w) * c.h * 3, 128);
        const std::string source = path("w.bmp"), web = path("w.jpg");
        ASSERT_NE(DRO_WriteToFileRGB24(rgb.data(), c.w, c.h, source.c_str(), ".bmp", 72), 0);
        EXPECT_EQ(DRO_MakeWebPic(source.c_str(), web.c_str(), c.maxW, c.maxH), 0);
        const auto out = readBack(web, c.tw, c.th);
        for (size_t i = 0; i < out.size(); i += 4) ASSERT_NEAR(out[i], 128, 2);
    }
}

TEST_F(ImageFilesTest, ImportBufferResizesAndLoadsIntoTheCurrentLayer) {
    std::vector<uint8_t> rgba(10 * 10 * 4);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = 10;
        rgba[i + 1] = 20;
        rgba[i + 2] = 30;
        rgba[i + 3] = 255;
    }
    const std::string file = path("i.png");
    ASSERT_NE(DRO_WriteToFileRGBA32(rgba.data(), 10, 10, file.c_str(), ".png", 72), 0);
    ASSERT_EQ(DRO_ReadFromFile(file.c_str()), 1);
    for (int size : {4, 17}) {
        std::vector<uint8_t> rgb(static_cast<size_t>(size) * size * 3);
        DRO_GetResizedNewRGBA24(rgb.data(), size, size);
        for (size_t i = 0; i < rgb.size(); i += 3) {
            ASSERT_EQ(rgb[i], 10);
            ASSERT_EQ(rgb[i + 1], 20);
            ASSERT_EQ(rgb[i + 2], 30);
        }
    }
    DRO_SetInNewRGBA();  // no canvas: nothing
    openCanvas(12, 12, 2, 2);
    DRO_SetInNewRGBA();
    const auto layer = layerPixels(2, 12, 12);
    EXPECT_EQ(layer[0], 10 << 8);  // 8-bit values widen by a shift
    EXPECT_EQ(layer[3], 255 << 8);
    EXPECT_EQ(layer[(11 * 12 + 11) * 4 + 3], 0);  // outside the 10 x 10 picture
}

TEST_F(ImageFilesTest, SavedPagesAreTheFlattenedLayers) {
    const int w = 21, h = 13;
    openCanvas(w, h, 2, 2);
    DRO_SetLayerOptions(2, 1, 0, 60, "Multiply");
    const auto paint = randomRGBA32(w, h, 4);
    DRO_LoadRGBA32Layer(paint.data(), w * 4, 2, 0, 0, w, h, 0);
    std::vector<uint16_t> merged(static_cast<size_t>(w) * h * 4);
    DRO_MergeRect(merged.data(), 0, 0, w, h);
    std::vector<uint8_t> expected(static_cast<size_t>(w) * h * 4);
    DRO_GetRGBA32FromRGBA64(expected.data(), w * 4, w, h, merged.data(), w * 8);

    for (const char* ext : {".png", ".tga", ".tif"}) {
        const std::string file = path(std::string("page32") + ext);
        DRO_SavePageToFileRGB32(file.c_str(), ext, 300);
        EXPECT_EQ(readBack(file, w, h), expected) << ext;
    }
    for (const char* ext : {".bmp", ".png"}) {
        const std::string file = path(std::string("page24") + ext);
        DRO_SavePageToFileRGB24(file.c_str(), ext, 300);
        EXPECT_EQ(rgbOf(readBack(file, w, h)), rgbOf(expected)) << ext;
        EXPECT_EQ(DRO_GetDPIFromFile(file.c_str()), 300) << ext;
    }
    const std::string jpg = path("page.jpg");
    DRO_SavePageToFileRGB24(jpg.c_str(), ".JPG", 96);
    EXPECT_EQ(readBack(jpg, w, h).size(), expected.size());
    EXPECT_EQ(DRO_GetDPIFromFile(jpg.c_str()), 96);

    DRO_SavePageToFileRGB24(path("page.gif").c_str(), ".gif", 72);  // no row writer for GIF
    EXPECT_FALSE(fs::exists(path("page.gif")));
}

TEST_F(ImageFilesTest, NothingHappensWithoutACanvasOrWithBadPaths) {
    DRO_SavePageToFileRGB24(path("none.png").c_str(), ".png", 72);
    DRO_SavePageToFileRGB32(path("none.tga").c_str(), ".tga", 72);
    EXPECT_FALSE(fs::exists(path("none.png")));
    EXPECT_FALSE(fs::exists(path("none.tga")));
    openCanvas(4, 4);
    DRO_SavePageToFileRGB32(nullptr, ".png", 72);
    DRO_SavePageToFileRGB32(path("nodir/x.png").c_str(), ".png", 72);
    EXPECT_EQ(DRO_MakeWebPic(nullptr, nullptr, 10, 10), 0);
    EXPECT_EQ(DRO_MakeThumbnail(nullptr, nullptr, 10), 0);
}

}  // namespace

namespace {

class ResolutionWarningTest : public EngineTest {
protected:
    ScratchDir scratch_{"drovane_resolution"};
};

TEST_F(ResolutionWarningTest, ADpiIsStoredWhereTheFormatHoldsOneAndItsLossSaidElsewhere) {
    const int w = 5, h = 4;
    const std::vector<uint8_t> rgb(w * h * 3, 90);
    const std::string pcx = scratch_.path("r.pcx"), gif = scratch_.path("r.gif");
    ASSERT_NE(DRO_WriteToFileRGB24(rgb.data(), w, h, pcx.c_str(), ".pcx", 300), 0);
    EXPECT_STREQ(DRO_GetFileMessage(), "");
    EXPECT_EQ(DRO_GetDPIFromFile(pcx.c_str()), 300);

    ASSERT_NE(DRO_WriteToFileRGB24(rgb.data(), w, h, gif.c_str(), ".gif", 300), 0);
    EXPECT_NE(std::string(DRO_GetFileMessage()).find("300 dpi was not stored"), std::string::npos);
    ASSERT_NE(DRO_WriteToFileRGB24(rgb.data(), w, h, gif.c_str(), ".gif", 72), 0);
    EXPECT_STREQ(DRO_GetFileMessage(), "");
}

}  // namespace
