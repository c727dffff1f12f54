#include "platform/platform.h"
#include "script/script_fixture.h"
#include "script/script_recorder.h"

using ScriptRecorderTest = ScriptTest;

namespace {

// The lines joined with CR LF, each one ended.
std::string crlf(std::initializer_list<std::string> lines) {
    std::string out;
    for (const auto& line : lines) out += line + "\r\n";
    return out;
}

constexpr const char* kFile = "scripts/luapaint.srp";

}  // namespace

TEST_F(ScriptRecorderTest, ARecordedStrokeIsWrittenByteForByte) {
    openImage(2, 2, randomRGBA32(2, 2, 1));
    run("paint_open(42)\n"
        "paint_stroke_start(10, 20)\n"
        "paint_stroke_pos(11, 21, 0.5)\n"
        "paint_stroke_stop()\n"
        "paint_close()\n");
    EXPECT_EQ(readFile(kFile), crlf({"1554", "Description", "1", " ", "RandomSeed", "42", "DrawStart", "10", "20",
                                     "-1", "SmoothPlot2", "0", "0", "0", "1", "0", "SmoothPlot2", "11", "21", "0.5",
                                     "0", "0", "SmoothPlot2", "0", "0", "0", "0", "1", "DrawStop", "1",
                                     "ScriptEnd"}));
    EXPECT_FALSE(dro::paintFileOpen());
}

TEST_F(ScriptRecorderTest, ArgumentsAreWrittenAsLuaPrintsThem) {
    openImage(1, 1, randomRGBA32(1, 1, 1));
    run("paint_open('seed')\n"
        "paint_brush_size(0.1 + 0.2)\n"
        "paint_brush_size(1e20)\n"
        "paint_brush_size(1/3)\n"
        "paint_line(nil, {}, true, 'a b')\n"  // no text form: empty lines
        "paint_dab(7)\n"                      // missing arguments too
        "paint_close()\n");
    EXPECT_EQ(readFile(kFile),
              crlf({"1554", "Description", "1", " ", "RandomSeed", "seed", "SetBrushSize", "0.3", "SetBrushSize",
                    "1e+20", "SetBrushSize", "0.33333333333333", "Line2", "", "", "", "a b",
                    "Dab", "7", "", "", "ScriptEnd"}));
}

TEST_F(ScriptRecorderTest, ColoursAreWrittenAsTruncatedBytes) {
    openImage(1, 1, randomRGBA32(1, 1, 1));
    run("paint_open(1)\n"
        "paint_brush_color(1, 0.5, 0)\n"
        "paint_brush_color(-0.001, '0.2', nil)\n"
        "paint_set_color_banks('Bank', 1, 0.5, 0, 0.25, 0.75, 1, 0, 0, 0, 0, 0, 2)\n"
        "paint_close()\n");
    EXPECT_EQ(readFile(kFile), crlf({"1554", "Description", "1", " ", "RandomSeed", "1", "SetColor", "255", "127", "0",
                                     "SetColor", "0", "51", "", "SetColorBanks", "Bank", "255", "127", "0", "63",
                                     "191", "255", "0", "0", "0", "0", "0", "510", "ScriptEnd"}));
}

TEST_F(ScriptRecorderTest, EveryCommandWritesItsKeywordAndArgumentCount) {
    struct Command {
        const char* function;
        const char* keyword;
        int arguments;
    };
    const Command commands[] = {
        {"paint_select_brush", "SelectBrush", 3}, {"paint_brush_size", "SetBrushSize", 1},
        {"paint_brush_density", "SetBrushDensity", 1}, {"paint_brush_opacity", "SetBrushOpacity", 1},
        {"paint_line", "Line2", 4}, {"paint_spline", "Spline", 8}, {"paint_dab", "Dab", 3},
        {"paint_filter", "Filter", 20}, {"paint_buffer_from_layer", "BufferFromLayer", 1},
        {"paint_buffer_to_layer", "BufferToLayer", 1}, {"paint_buffer_copy", "BufferCopy", 2},
        {"paint_buffer_clear", "BufferClear", 1}, {"paint_buffer_merge_layer", "BufferMergeLayer", 3},
        {"paint_buffer_from_mask", "BufferFromMask", 1}, {"paint_buffer_to_mask", "BufferToMask", 1},
        {"paint_flip_horizontal", "ImageFlipHorizontal", 0}, {"paint_flip_vertical", "ImageFlipVertical", 0},
        {"paint_clear_page", "ClearPage", 0}, {"paint_fill_page", "FillPage", 0}, {"paint_set_page", "SetPage", 4},
        {"paint_mask_on", "MaskOn", 1}, {"paint_mask_clear", "MaskClear", 0}, {"paint_mask_invert", "MaskInvert", 0},
        {"paint_create_from_mask", "ImageCreateFromMask", 0},
        {"paint_alpha_create_from_mask", "AlphaCreateFromMask", 0},
        {"paint_mask_create_from_image", "MaskCreateFromImage", 0},
        {"paint_mask_create_from_image_luma", "MaskCreateFromImageLuma", 0},
        {"paint_mask_create_from_alpha", "MaskCreateFromAlpha", 0}, {"paint_flood_fill", "Flood Fill", 7},
        {"paint_rectangle", "Rectangle", 8}, {"paint_ellipse", "Ellipse", 8}, {"paint_text", "Text", 10},
        {"paint_gradient", "Gradient", 18}, {"paint_mask_ellipse", "MaskEllipse", 5},
        {"paint_mask_rectangle", "MaskRectangle", 5}, {"paint_mask_wand", "MaskWand", 5},
        {"paint_copy", "CopyTool", 4}, {"paint_paste", "PasteTool2", 5}, {"paint_warp", "Warp", 6},
        {"paint_rotate_brush", "RotateBrush", 4},
    };
    openImage(1, 1, randomRGBA32(1, 1, 1));
    // Each is called with 25 arguments 1..25; only its own count is written.
    std::string script = "paint_open(0)\n";
    std::string expected = crlf({"1554", "Description", "1", " ", "RandomSeed", "0"});
    for (const Command& c : commands) {
        script += std::string(c.function) + "(1";
        for (int i = 2; i <= 25; ++i) script += ", " + std::to_string(i);
        script += ")\n";
        expected += std::string(c.keyword) + "\r\n";
        for (int i = 1; i <= c.arguments; ++i) expected += std::to_string(i) + "\r\n";
    }
    run(script);  // no paint_close: no ScriptEnd line
    EXPECT_EQ(readFile(kFile), expected);
    EXPECT_TRUE(messages().empty());
    EXPECT_FALSE(dro::paintFileOpen());  // the run closed it
}

TEST_F(ScriptRecorderTest, NothingIsWrittenBeforeOpenOrAfterClose) {
    openImage(1, 1, randomRGBA32(1, 1, 1));
    run("paint_fill_page(); paint_brush_color(1, 1, 1); paint_stroke_stop(); paint_close()\n");
    EXPECT_FALSE(fileExists(kFile));
    EXPECT_TRUE(messages().empty());
    run("paint_open(1); paint_close(); paint_fill_page(); paint_close()\n");
    EXPECT_EQ(readFile(kFile), crlf({"1554", "Description", "1", " ", "RandomSeed", "1", "ScriptEnd"}));
}

TEST_F(ScriptRecorderTest, OpeningAgainStartsANewFile) {
    openImage(1, 1, randomRGBA32(1, 1, 1));
    run("paint_open(1); paint_fill_page(); paint_open(2); paint_clear_page()\n");
    EXPECT_EQ(readFile(kFile), crlf({"1554", "Description", "1", " ", "RandomSeed", "2", "ClearPage"}));
}

TEST_F(ScriptRecorderTest, AFileThatCannotBeCreatedLeavesEverythingClosed) {
    openImage(1, 1, randomRGBA32(1, 1, 1));
    const std::string start = (dir() / "absent").string() + "/";
    DRO_SetStartDir(start.c_str());
    run("paint_open(1); paint_fill_page(); paint_close()\n");
    EXPECT_TRUE(messages().empty());
    EXPECT_FALSE(dro::paintFileOpen());
    EXPECT_EQ(dro::paintFilePath(), start + "scripts" + dro::platform::pathSeparator() + "luapaint.srp");
}

TEST_F(ScriptRecorderTest, AFailedRunStillClosesTheFile) {
    openImage(1, 1, randomRGBA32(1, 1, 1));
    run("paint_open(5); paint_fill_page(); error('x')\n");
    EXPECT_EQ(readFile(kFile), crlf({"1554", "Description", "1", " ", "RandomSeed", "5", "FillPage"}));
    EXPECT_FALSE(dro::paintFileOpen());
    EXPECT_EQ(messages().size(), 1u);
}
