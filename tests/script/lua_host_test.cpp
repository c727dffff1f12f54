#include <cmath>

#include "brush/tool_settings.h"
#include "core/blend_mode_table.h"
#include "core/mask_state.h"
#include "script/fast_pixel_api.h"
#include "script/lua_host.h"
#include "script/script_fixture.h"

using LuaHostTest = ScriptTest;

namespace {

std::vector<uint8_t> pixels(std::initializer_list<std::array<uint8_t, 4>> list) {
    std::vector<uint8_t> out;
    for (const auto& p : list) out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace

TEST_F(LuaHostTest, AScriptThatDoesNothingLeavesTheLayerAsItWas) {
    const auto img = randomRGBA32(7, 5, 3);
    openImage(7, 5, img);
    const auto before = layerPixels(1, 7, 5);
    run("local x = 1\n");
    EXPECT_EQ(layerPixels(1, 7, 5), before);  // not even the low bytes move
    EXPECT_TRUE(messages().empty());
}

TEST_F(LuaHostTest, GlobalsCarryTheSizeAndTheSettings) {
    openImage(6, 4, randomRGBA32(6, 4, 1));
    run(reporter() +
            "report(width, height, bound_x0, bound_y0, bound_x1, bound_y1, variantVal)\n"
            "report(sliderVal1, sliderVal2, sliderVal6, styleVal1, styleVal2)\n"
            "report(flagVal1, flagVal2, MERGE_NORMAL, MERGE_SCREEN, MERGE_COLOR, MERGE_SILHOUETTE)\n",
        {250, 1000, 0, 0, 0, 1500}, 0, 1);
    const auto lines = reportLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "6\t4\t0\t0\t5\t3\t7");
    EXPECT_EQ(lines[1], "0.25\t1\t1.5\t1\t1");  // styles become 1-based
    EXPECT_EQ(lines[2], "true\tfalse\t0\t2\t20\t30");
}

TEST_F(LuaHostTest, EveryScriptConstantIsItsBlendModeNumber) {
    openImage(2, 2, randomRGBA32(2, 2, 1));
    std::string script = reporter();
    int count = 0;
    for (const auto& mode : dro::kBlendModes) {
        if (mode.scriptConstant.empty()) continue;
        script += "report(" + std::string(mode.scriptConstant) + " == " + std::to_string(mode.id) + ")\n";
        ++count;
    }
    run(script);
    EXPECT_EQ(count, 31);
    EXPECT_EQ(reportLines(), std::vector<std::string>(31, "true"));
}

TEST_F(LuaHostTest, SetRgbClampsAndTruncates) {
    openImage(3, 1, pixels({{10, 20, 30, 40}, {1, 2, 3, 4}, {9, 9, 9, 9}}));
    run("set_rgb(0, 0, 1.5, -0.2, 0.5)\n"
        "set_rgb(1, 0, 0/0, 1e300, -1e300)\n"
        "set_rgb(2.9, 0.9, '0.2', nil, {})\n");  // (2, 0); a numeric string counts, others are 0
    EXPECT_EQ(layer32(3, 1), pixels({{255, 0, 127, 40}, {0, 255, 0, 4}, {51, 0, 0, 9}}));
}

TEST_F(LuaHostTest, GetsReadTheSourceUnlessSingleBuffer) {
    openImage(2, 1, pixels({{0, 0, 0, 255}, {0, 0, 0, 255}}));
    run(reporter() +
        "set_value(0, 0, 1); report(get_value(0, 0))\n"
        "single_buffer(true); report(get_value(0, 0))\n"
        "set_value(1, 0, 1); report(get_value(1, 0))\n"
        "single_buffer(false); report(get_value(1, 0))\n");
    EXPECT_EQ(reportLines(), (std::vector<std::string>{"0", "1", "1", "0"}));
}

TEST_F(LuaHostTest, SingleBufferModeCarriesTheDestinationIntoTheSource) {
    openImage(1, 1, pixels({{0, 0, 0, 255}}));
    run("single_buffer(true); set_value(0, 0, 1)\n");
    EXPECT_EQ(iplSource()[0], 255);
    run("set_value(0, 0, 0)\n");  // switch is 0 again at every run: the source keeps 255
    EXPECT_EQ(iplSource()[0], 255);
    EXPECT_EQ(layer32(1, 1)[0], 0);
}

TEST_F(LuaHostTest, OffTheImageReadsTransparentBlackAndWritesNothing) {
    const auto img = pixels({{200, 100, 50, 255}, {1, 2, 3, 4}});
    openImage(2, 1, img);
    run(reporter() +
        "report(get_cmyk(-1, 0))\n"
        "report(get_hsv(2, 0))\n"
        "report(get_rgba(0, 1))\n"
        "report(get_mask(0/0, 0), get_value(1e300, 0))\n"
        "report(get_rgb(-0.5, 0.99))\n"  // truncation toward zero: pixel (0, 0)
        "set_rgba(2, 0, 1, 1, 1, 1); set_rgba(-1, 0, 1, 1, 1, 1); set_mask(5, 5, 0)\n");
    const auto lines = reportLines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "0\t0\t0\t1");
    EXPECT_EQ(lines[1], "-1\t0\t0");
    EXPECT_EQ(lines[2], "0\t0\t0\t0");
    EXPECT_EQ(lines[3], "0\t0");
    char expected[128];
    std::snprintf(expected, sizeof expected, "%.17g\t%.17g\t%.17g", 200 * (1.0 / 255), 100 * (1.0 / 255),
                  50 * (1.0 / 255));
    EXPECT_EQ(lines[4], expected);
    EXPECT_EQ(layer32(2, 1), img);
}

TEST_F(LuaHostTest, ColourModelsRoundTripAndClampTheirArguments) {
    openImage(4, 1, pixels({{128, 128, 128, 255}, {255, 0, 0, 255}, {0, 0, 0, 255}, {0, 0, 0, 255}}));
    run(reporter() +
        "report(get_hsv(0, 0))\n"  // grey: hue -1, saturation 0
        "set_hsv(1, 0, 400, 2, 1)\n"  // hue held at 359, s at 1: nearly pure red
        "set_hsl(2, 0, -30, 1, 0.5)\n"  // hue held at 0: red
        "set_cmyk(3, 0, 1.2, -0.5, 0, 0)\n");  // unclamped: the bytes are held, not wrapped
    char grey[64];
    std::snprintf(grey, sizeof grey, "-1\t0\t%.17g", 128 * (1.0 / 255));
    EXPECT_EQ(reportLines()[0], grey);
    const auto out = layer32(4, 1);
    EXPECT_EQ(out[4], 255);
    EXPECT_EQ(out[5], 0);
    EXPECT_EQ(out[6], 4);  // (1 - 359/60 + 5) = 1/60 of the way: 255/60 truncated
    EXPECT_EQ((std::vector<uint8_t>(out.begin() + 8, out.begin() + 11)), (std::vector<uint8_t>{255, 0, 0}));
    EXPECT_EQ((std::vector<uint8_t>(out.begin() + 12, out.begin() + 15)), (std::vector<uint8_t>{0, 255, 255}));
}

TEST_F(LuaHostTest, LabGoesBackToTheSameBytes) {
    const auto img = randomRGBA32(16, 16, 11);
    openImage(16, 16, img);
    run("for y = 0, height - 1 do for x = 0, width - 1 do\n"
        "  local l, a, b = get_lab(x, y); set_lab(x, y, l, a, b)\n"
        "end end\n");
    const auto out = layer32(16, 16);
    int far = 0;
    for (size_t i = 0; i < out.size(); ++i) far += std::abs(int(out[i]) - int(img[i])) > 1;
    EXPECT_EQ(far, 0);  // truncation on the way back costs at most one step
}

TEST_F(LuaHostTest, MaskValuesKeepTheirLowSixteenBits) {
    openImage(4, 1, randomRGBA32(4, 1, 2));
    run(reporter() +
        "set_mask(0, 0, 0.5); set_mask(1, 0, -1); set_mask(2, 0, 2); set_mask(3, 0, 0/0)\n"
        "report(get_mask(0, 0), get_mask(1, 0))\n");
    EXPECT_EQ(maskValues(4, 1), (std::vector<uint16_t>{32767, 1, 65534, 0}));
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.17g\t%.17g", 32767 / 65535.0, 1 / 65535.0);
    EXPECT_EQ(reportLines()[0], expected);
}

TEST_F(LuaHostTest, BitFunctionsWorkOnTruncatedThirtyTwoBitIntegers) {
    openImage(1, 1, randomRGBA32(1, 1, 2));
    run(reporter() +
        "report(bit_shfr(-8, 1), bit_shfl(1, 33), bit_shfl(1, 31), bit_shfr(-1, 31.9))\n"
        "report(bit_not(0), bit_and(12.9, 10), bit_or(-2.5, 1), bit_xor(4294967297, 3))\n"
        "report(bit_not(0/0), bit_and(1e300, -1), bit_shfl(3, -1))\n");
    EXPECT_EQ(reportLines(), (std::vector<std::string>{"-4\t2\t-2147483648\t-1", "-1\t8\t-1\t2", "-1\t0\t-2147483648"}));
}

TEST_F(LuaHostTest, ToolColoursAreHighBytesOverTwoHundredFiftyFive) {
    openImage(1, 1, randomRGBA32(1, 1, 2));
    auto& tool = dro::toolSettings();
    tool.color = {0xFF12, 0x8034, 0x0056, 0xFFFF};
    tool.colorBanks[0][2] = 0x4000;  // bank 2: red, green, blue
    tool.colorBanks[1][2] = 0x2000;
    tool.colorBanks[2][2] = 0xFFFF;
    run(reporter() + "report(get_color())\nreport(get_color3())\nreport(get_color1())\n");
    char c[3][128];
    std::snprintf(c[0], 128, "%.17g\t%.17g\t%.17g", 255 / 255.0, 128 / 255.0, 0 / 255.0);
    std::snprintf(c[1], 128, "%.17g\t%.17g\t%.17g", 64 / 255.0, 32 / 255.0, 255 / 255.0);
    EXPECT_EQ(reportLines(), (std::vector<std::string>{c[0], c[1], "0\t0\t0"}));
}

TEST_F(LuaHostTest, MergeOpacityIsAllOrNothing) {
    const auto img = pixels({{100, 100, 100, 255}});
    const auto black = pixels({{0, 0, 0, 255}});
    // The same merge through the export, at opacity 0 and 255.
    std::array<uint8_t, 2> reference{};
    for (int i = 0; i < 2; ++i) {
        openImage(1, 1, img);
        DRO_MergeRGBA32Layer(black.data(), 1, 0, i * 255);
        reference[i] = layer32(1, 1)[0];
        DRO_DeleteImage();
    }
    ASSERT_NE(reference[0], reference[1]);
    for (const auto& [opacity, full] : std::vector<std::pair<std::string, int>>{
             {"0.5", 0}, {"1", 1}, {"1.9", 1}, {"-3", 0}, {"0/0", 0}, {"7", 1}}) {
        SCOPED_TRACE(opacity);
        openImage(1, 1, img);
        // Black at full alpha in Normal mode; the run then fails, so only the merge shows.
        run("set_rgb(0, 0, 0, 0, 0); merge(0, " + opacity + "); error('end')\n");
        EXPECT_EQ(layer32(1, 1)[0], reference[full]);
        EXPECT_EQ(iplSource()[0], reference[full]);  // the source is re-read from the layer
        DRO_DeleteImage();
    }
}

TEST_F(LuaHostTest, FlushWritesTheLayerBeforeAFailure) {
    openImage(2, 1, pixels({{10, 10, 10, 255}, {20, 20, 20, 255}}));
    run("set_value(0, 0, 1); flush(); set_value(1, 0, 1); error('late')\n");
    EXPECT_EQ(layer32(2, 1), pixels({{255, 255, 255, 255}, {20, 20, 20, 255}}));
    EXPECT_EQ(iplSource()[0], 255);  // the flush copied the destination into the source
    ASSERT_EQ(messages().size(), 1u);
}

TEST_F(LuaHostTest, ASyntaxErrorShowsOneMessageAndLeavesTheLayer) {
    const auto img = randomRGBA32(3, 3, 5);
    openImage(3, 3, img);
    const auto before = layerPixels(1, 3, 3);
    run("set_value(0, 0, 1)\nfor x = 1 do\n");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].caption, "Lua Script Error");
    EXPECT_NE(messages()[0].text.find(":2:"), std::string::npos) << messages()[0].text;
    EXPECT_EQ(layerPixels(1, 3, 3), before);
}

TEST_F(LuaHostTest, RunErrorsAreShownOnceAndTheLayerIsNotWritten) {
    openImage(2, 2, randomRGBA32(2, 2, 5));
    const auto before = layerPixels(1, 2, 2);
    run("set_value(0, 0, 1)\nerror({})\n");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, "(error object is a table value)");
    run("set_value(0, 0, 1)\nlocal t = nil; t.x = 1\n");
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_NE(messages()[1].text.find("attempt to index"), std::string::npos);
    EXPECT_EQ(layerPixels(1, 2, 2), before);
}

TEST_F(LuaHostTest, LongErrorTextsAreCutToTheMessageBuffer) {
    openImage(1, 1, randomRGBA32(1, 1, 5));
    run("error(string.rep('x', 5000), 0)\n");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, std::string(2047, 'x'));
}

TEST_F(LuaHostTest, MissingFilesAndPrecompiledChunksAreLoadErrors) {
    openImage(1, 1, randomRGBA32(1, 1, 5));
    runPath((dir() / "nowhere.lua").string());
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].text.find("nowhere.lua"), std::string::npos);
    run(std::string("\x1bLJ\x02garbage", 11));
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_NE(messages()[1].text.find("mode"), std::string::npos) << messages()[1].text;
}

TEST_F(LuaHostTest, NothingRunsWithoutBothBuffersOrAPath) {
    openCanvas(2, 2);
    const std::string script = writeScript("message_box('ran', 'x')\n");
    DRO_LuaFilterRun(script.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    DRO_IPLAllocSrcBuffer32();
    DRO_LuaFilterRun(script.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    DRO_IPLAllocDstBuffer32();
    DRO_LuaFilterRun(nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_TRUE(messages().empty());
    DRO_LuaFilterRun(script.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, "ran");

    dro::resetEngine();  // no canvas at all
    DRO_LuaFilterRun(script.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(messages().size(), 1u);
}

TEST_F(LuaHostTest, TheMaskLimitsTheWriteBack) {
    openImage(2, 1, pixels({{0, 0, 0, 255}, {0, 0, 0, 255}}));
    dro::maskState().plane[0] = 65535;
    dro::maskState().plane[1] = 0;
    DRO_EnableMask(1);
    run("set_value(0, 0, 1); set_value(1, 0, 1)\n");
    const auto out = layer32(2, 1);
    EXPECT_EQ(out[0], 255);
    EXPECT_EQ(out[4], 0);
}

TEST_F(LuaHostTest, TheLuaFilterEffectRunsTheScriptAtItsPath) {
    openImage(2, 1, pixels({{0, 0, 0, 255}, {10, 10, 10, 255}}));
    const std::string script = writeScript("set_value(0, 0, sliderVal1)\n");
    DRO_IPLImageProcess(0, "Lua Filter", 0, 1000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, script.c_str());
    EXPECT_EQ(layer32(2, 1)[0], 255);
    DRO_IPLImageProcess(0, "Lua Filter", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                        (dir() / "missing.lua").string().c_str());
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(layer32(2, 1)[4], 10);
}

TEST_F(LuaHostTest, MessageBoxesGoToTheHost) {
    openImage(1, 1, randomRGBA32(1, 1, 5));
    run("message_box('hello', 'Caption'); message_box(nil, 12)\n");
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[0].text, "hello");
    EXPECT_EQ(messages()[0].caption, "Caption");
    EXPECT_EQ(messages()[1].text, "");
    EXPECT_EQ(messages()[1].caption, "12");
}
