#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "imaging/lib/codecs/png_codec.h"
#include "platform/platform.h"
#include "support/engine_fixture.h"
#include "support/scratch_dir.h"

namespace {

constexpr int kPixels = 24;

class TextTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        dro::platform::FontFace face;
        std::strcpy(face.name, "DejaVu Sans");
        char path[4096];
        if (!dro::platform::fontFilePath(face, path, sizeof path) || !std::filesystem::exists(path))
            GTEST_SKIP() << "no DejaVu Sans installed";
        fontPath = path;
        DRO_SetFontFace("DejaVu Sans", kPixels, 400, 0);
    }
    std::string fontPath;
};

// An independent rendering of one glyph: FreeType's coverage at the same face and size.
struct Glyph {
    std::vector<uint8_t> coverage;
    int width = 0, rows = 0, left = 0, top = 0, ascender = 0;
};
Glyph renderWithFreeType(const std::string& path, char32_t code) {
    FT_Library library;
    FT_Face face;
    Glyph g;
    EXPECT_EQ(FT_Init_FreeType(&library), 0);
    EXPECT_EQ(FT_New_Face(library, path.c_str(), 0, &face), 0);
    FT_Set_Pixel_Sizes(face, 0, kPixels);
    EXPECT_EQ(FT_Load_Char(face, code, FT_LOAD_RENDER), 0);
    const FT_Bitmap& b = face->glyph->bitmap;
    g.width = static_cast<int>(b.width);
    g.rows = static_cast<int>(b.rows);
    g.left = face->glyph->bitmap_left;
    g.top = face->glyph->bitmap_top;
    g.ascender = static_cast<int>(face->size->metrics.ascender >> 6);
    for (int y = 0; y < g.rows; ++y)
        for (int x = 0; x < g.width; ++x) g.coverage.push_back(b.buffer[y * b.pitch + x]);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return g;
}

TEST_F(TextTest, PlainTextAlphaIsFreeTypesCoverage) {
    openCanvas(80, 50, 2, 2);
    ASSERT_EQ(DRO_ChooseFont(), 1);
    DRO_IPLAllocSrcBuffer32();
    DRO_IPLText(200, 10, 20, 10, 5, 0, 0, 0, 0, "A", 0);
    const Glyph g = renderWithFreeType(fontPath, U'A');
    ASSERT_GT(g.rows, 0);
    std::vector<uint8_t> layer(80 * 50 * 4);
    DRO_GetRGBA32Layer(layer.data(), 80 * 4, 2);
    int inked = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 80; ++x) {
            const int gx = x - 10 - g.left, gy = y - (5 + g.ascender - g.top);
            const bool inside = gx >= 0 && gy >= 0 && gx < g.width && gy < g.rows;
            const uint8_t expected = inside ? g.coverage[gy * g.width + gx] : 0;
            ASSERT_EQ(layer[(y * 80 + x) * 4 + 3], expected) << x << "," << y;
            if (expected) {
                ++inked;
                ASSERT_EQ(layer[(y * 80 + x) * 4], 200);
            }
        }
    EXPECT_GT(inked, 20);
}

// Smooth alpha round-trips through premultiplied colour; only the text's own rectangle
// may be touched, and an empty text touches nothing.
TEST_F(TextTest, SmoothTextLeavesTheRestOfTheLayerBitForBit) {
    openCanvas(120, 60, 2, 2);
    std::vector<uint8_t> start(120 * 60 * 4);
    for (size_t i = 0; i < start.size(); i += 4) start[i] = 10, start[i + 1] = 20, start[i + 2] = 30, start[i + 3] = 254;
    for (size_t i = 0; i < 120 * 4; i += 4) start[i + 3] = 0;  // a transparent first row keeps its colour too
    DRO_LoadRGBA32Layer(start.data(), 120 * 4, 2, 0, 0, 120, 60, 0);
    std::vector<uint8_t> before(start.size()), after(start.size());
    DRO_GetRGBA32Layer(before.data(), 120 * 4, 2);
    ASSERT_EQ(DRO_ChooseFont(), 1);
    DRO_IPLAllocSrcBuffer32();
    DRO_IPLText(0, 0, 0, 60, 20, 0, 0, 0, 0, "", 1);
    DRO_GetRGBA32Layer(after.data(), 120 * 4, 2);
    EXPECT_EQ(after, before);

    DRO_IPLText(0, 0, 0, 60, 20, 0, 0, 0, 0, "x", 1);
    DRO_GetRGBA32Layer(after.data(), 120 * 4, 2);
    int changed = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 120; ++x) {
            const bool same = std::memcmp(&after[(y * 120 + x) * 4], &before[(y * 120 + x) * 4], 4) == 0;
            if (!same) ++changed;
            if (y < 15 || x < 30) {
                ASSERT_TRUE(same) << x << "," << y;
            }
        }
    EXPECT_GT(changed, 10);
}

TEST_F(TextTest, TextBrushWritesOneClipPerCharacterAtOneHundredDpi) {
    ScratchDir dir("text_brush");
    ASSERT_EQ(DRO_ChooseTextBrushFont(), 1);
    const std::string folder = dir.path("");
    DRO_BuildTextBrushClips(255, 0, 0, "Hé", folder.substr(0, folder.size() - 1).c_str());
    for (const char* name : {"clip0.png", "clip1.png"}) {
        std::ifstream in(dir.path(name), std::ios::binary);
        ASSERT_TRUE(in) << name;
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const auto info = dro::codecs::readPngInfo(bytes);
        ASSERT_TRUE(info);
        EXPECT_NEAR(info->resolution.x, 3937, 0.5);
        EXPECT_EQ(info->resolution.unit, 1);
        const auto image = dro::codecs::decodePng(bytes);
        ASSERT_TRUE(image);
        int inked = 0;
        for (size_t i = 0; i < image->pixels.size(); i += 4)
            if (image->pixels[i + 3] > 128) {
                ++inked;
                EXPECT_EQ(image->pixels[i], 255);
            }
        EXPECT_GT(inked, 10) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path("clip2.png")));
}

}  // namespace
