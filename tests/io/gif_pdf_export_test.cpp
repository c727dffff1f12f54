#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "io/export_tools.h"
#include "support/cli_run.h"
#include "support/engine_fixture.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

class GifPdfExportTest : public EngineTest {
protected:
    // A smooth picture of many colours: the quantiser must dither to stay close.
    static std::vector<uint8_t> picture(int w, int h, int n) {
        std::vector<uint8_t> rgb;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                rgb.insert(rgb.end(), {uint8_t(x * 255 / (w - 1)), uint8_t(y * 255 / (h - 1)), uint8_t(n * 80)});
        return rgb;
    }

    ScratchDir scratch_{"drovane_gifpdf"};
};

TEST_F(GifPdfExportTest, GiflibReadsTheFramesDelaysLoopAndColours) {
    const int w = 48, h = 32;
    openCanvas(w, h);
    const std::string file = scratch_.path("anim.gif");
    EXPECT_EQ(DRO_CreateGIF(file.c_str(), 125, nullptr), 12);
    for (int i = 0; i < 3; ++i) DRO_WriteGIF_RGB24(picture(w, h, i).data(), w, h);
    const auto other = picture(40, 30, 0);
    DRO_WriteGIF_RGB24(other.data(), 40, 30);  // another size: ignored
    DRO_CloseGIF();
    DRO_CloseGIF();

    int error = 0;
    GifFileType* gif = DGifOpenFileName(file.c_str(), &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    EXPECT_EQ(gif->SWidth, w);
    EXPECT_EQ(gif->SHeight, h);
    ASSERT_EQ(gif->ImageCount, 3);
    bool loops = false;
    for (int e = 0; e < gif->SavedImages[0].ExtensionBlockCount; ++e) {
        const ExtensionBlock& b = gif->SavedImages[0].ExtensionBlocks[e];
        loops |= b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
                 std::string(reinterpret_cast<char*>(b.Bytes), 11) == "NETSCAPE2.0";
    }
    EXPECT_TRUE(loops);
    for (int i = 0; i < 3; ++i) {
        GraphicsControlBlock control{};
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, i, &control), GIF_OK);
        EXPECT_EQ(control.DelayTime, 12);
        const SavedImage& frame = gif->SavedImages[i];
        ASSERT_NE(frame.ImageDesc.ColorMap, nullptr);  // a palette of its own
        const auto input = picture(w, h, i);
        double total = 0;
        for (int p = 0; p < w * h; ++p) {
            const GifColorType c = frame.ImageDesc.ColorMap->Colors[frame.RasterBits[p]];
            total += std::abs(c.Red - input[p * 3]) + std::abs(c.Green - input[p * 3 + 1]) +
                     std::abs(c.Blue - input[p * 3 + 2]);
        }
        EXPECT_LT(total / (w * h * 3), 4.0) << "frame " << i;
    }
    DGifCloseFile(gif, &error);
}

// The play count as viewers read it (the loop extension's repeat count, none for a
// single play) and the palette quality as the colours the frame uses.
TEST_F(GifPdfExportTest, OptionsSetThePlayCountAndTradeColoursForQuality) {
    EXPECT_EQ(DRO_SetGIFOptions(0, 0), 0);
    EXPECT_EQ(DRO_SetGIFOptions(101, 0), 0);
    EXPECT_EQ(DRO_SetGIFOptions(50, -1), 0);
    EXPECT_EQ(DRO_SetGIFOptions(50, 65537), 0);
    const int w = 64, h = 48;
    openCanvas(w, h);
    struct Written {
        int repeats = -1;  // -1: no loop extension
        size_t colours = 0;
    };
    auto write = [&](int quality, int plays) {
        EXPECT_EQ(DRO_SetGIFOptions(quality, plays), 1);
        const std::string file = scratch_.path("q" + std::to_string(quality) + "p" + std::to_string(plays) + ".gif");
        DRO_CreateGIF(file.c_str(), 100, nullptr);
        DRO_WriteGIF_RGB24(picture(w, h, 1).data(), w, h);
        DRO_CloseGIF();
        Written out;
        int error = 0;
        GifFileType* gif = DGifOpenFileName(file.c_str(), &error);
        if (!gif || DGifSlurp(gif) != GIF_OK || gif->ImageCount != 1) {
            ADD_FAILURE() << file;
            return out;
        }
        const SavedImage& frame = gif->SavedImages[0];
        for (int e = 0; e + 1 < frame.ExtensionBlockCount; ++e)
            if (frame.ExtensionBlocks[e].Function == APPLICATION_EXT_FUNC_CODE) {
                const ExtensionBlock& data = frame.ExtensionBlocks[e + 1];
                out.repeats = data.Bytes[1] | data.Bytes[2] << 8;
            }
        std::vector<bool> used(256);
        for (int p = 0; p < w * h; ++p) used[frame.RasterBits[p]] = true;
        out.colours = static_cast<size_t>(std::count(used.begin(), used.end(), true));
        DGifCloseFile(gif, &error);
        return out;
    };
    EXPECT_EQ(write(100, 0).repeats, 0);
    EXPECT_EQ(write(100, 1).repeats, -1);
    const Written best = write(100, 3), rough = write(10, 3);
    EXPECT_EQ(best.repeats, 2);
    EXPECT_LT(rough.colours * 2, best.colours);
}

TEST_F(GifPdfExportTest, PdfPagesHoldEachImageInsideTheBorderAndTheImagesAreDeleted) {
    if (!haveTool("qpdf") || !haveTool("pdftoppm")) GTEST_SKIP() << "qpdf/pdftoppm not installed";
    std::vector<std::string> images;
    const uint8_t colours[2][3] = {{200, 30, 40}, {20, 90, 220}};
    for (int i = 0; i < 2; ++i) {
        std::vector<uint8_t> rgb;
        for (int p = 0; p < 96 * 48; ++p) rgb.insert(rgb.end(), colours[i], colours[i] + 3);
        images.push_back(scratch_.path("page" + std::to_string(i) + ".png"));
        ASSERT_NE(DRO_WriteToFileRGB24(rgb.data(), 96, 48, images[i].c_str(), ".png", 96), 0);
        DRO_I2PDF_AddImage(images[i].c_str());
    }
    const std::string pdf = scratch_.path("doc.pdf");
    ASSERT_EQ(DRO_I2PDF_MakePDF(pdf.c_str()), 1);
    EXPECT_EQ(runTool("qpdf --check '" + pdf + "' >/dev/null").status, 0);
    for (const std::string& image : images) EXPECT_FALSE(fs::exists(image));  // as hosts expect

    // At 96 dpi a 20-point border is 26.7 pixels: a 96 x 48 picture on a 149 x 101 page.
    ASSERT_EQ(runTool("pdftoppm -r 96 -png '" + pdf + "' '" + scratch_.path("page") + "'").status, 0);
    for (int i = 0; i < 2; ++i) {
        const Picture page = readPicture(scratch_.path("page-" + std::to_string(i + 1) + ".png"));
        ASSERT_NEAR(page.width, 149, 1) << i;
        ASSERT_NEAR(page.height, 101, 1) << i;
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(page.at(5, 5)[c], 196, 2);
            EXPECT_NEAR(page.at(74, 50)[c], colours[i][c], 2);
            EXPECT_NEAR(page.at(28, 28)[c], colours[i][c], 2);
            EXPECT_NEAR(page.at(24, 50)[c], 196, 2);
        }
    }

    // The slide show carries page transitions; nothing to convert writes nothing.
    const std::string image = scratch_.path("slide.png");
    std::vector<uint8_t> rgb(32 * 32 * 3, 77);
    ASSERT_NE(DRO_WriteToFileRGB24(rgb.data(), 32, 32, image.c_str(), ".png", 96), 0);
    DRO_I2PDF_AddImage(image.c_str());
    const std::string show = scratch_.path("show.pdf");
    ASSERT_EQ(DRO_I2PDF_MakePDFSlideshow(show.c_str()), 1);
    EXPECT_EQ(runTool("qpdf --check '" + show + "' >/dev/null").status, 0);
    const std::string qdf = runTool("qpdf --qdf --object-streams=disable '" + show + "' -").output;
    EXPECT_NE(qdf.find("/Trans"), std::string::npos);
    EXPECT_NE(qdf.find("/Dur 4"), std::string::npos);
    DRO_I2PDF_AddImage(scratch_.path("missing.png").c_str());
    EXPECT_EQ(DRO_I2PDF_MakePDF(scratch_.path("none.pdf").c_str()), 0);
    EXPECT_FALSE(fs::exists(scratch_.path("none.pdf")));
}

}  // namespace
