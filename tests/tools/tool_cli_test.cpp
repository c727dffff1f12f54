// drovane fill, wand and gradient, and image brushes in stroke files, run as a user runs them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/cli_run.h"
#include "support/engine_fixture.h"
#include "support/scratch_dir.h"

namespace {

class ToolCliTest : public EngineTest {
protected:
    std::string path(const std::string& name) const { return scratch_.path(name); }

    // 40 x 20 white with a black one-pixel wall at column 20.
    std::string walledPicture() const {
        std::vector<uint8_t> rgba(40 * 20 * 4, 255);
        for (int y = 0; y < 20; ++y) std::fill_n(&rgba[(y * 40 + 20) * 4], 3, 0);
        const std::string file = path("walled.png");
        EXPECT_EQ(DRO_WriteToFileRGBA32(rgba.data(), 40, 20, file.c_str(), ".png", 96), 1);
        return file;
    }

    ScratchDir scratch_{"drovane_tool_cli"};
};

}  // namespace

TEST_F(ToolCliTest, FillWandAndGradientWorkOnTheirPicture) {
    const std::string in = walledPicture();
    CliRun r = runDrovane("fill " + in + " " + path("f.png") + " --at 3,3 --color 200,10,20");
    ASSERT_EQ(r.status, 0) << r.output;
    Picture p = readPicture(path("f.png"));
    EXPECT_EQ(p.at(19, 10)[0], 200);
    EXPECT_EQ(p.at(20, 10)[0], 0);
    EXPECT_EQ(p.at(21, 10)[1], 255);

    r = runDrovane("wand " + in + " " + path("w.png") + " --at 30,3");
    ASSERT_EQ(r.status, 0) << r.output;
    p = readPicture(path("w.png"));
    EXPECT_EQ(p.at(30, 10)[0], 255);  // selected
    EXPECT_EQ(p.at(5, 10)[0], 0);

    r = runDrovane("gradient " + in + " " + path("g.png") + " --from 0,0 --to 39,0 --colors 255,0,0/0,0,255");
    ASSERT_EQ(r.status, 0) << r.output;
    p = readPicture(path("g.png"));
    EXPECT_EQ(p.at(0, 5)[0], 255);
    EXPECT_EQ(p.at(39, 5)[2], 255);
    EXPECT_GT(p.at(20, 5)[0], 100);
    EXPECT_GT(p.at(20, 5)[2], 100);

    r = runDrovane("fill " + in + " " + path("x.png") + " --at 40,0");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("outside"), std::string::npos) << r.output;
}

TEST_F(ToolCliTest, ImageBrushStrokesStampThePicture) {
    // Left half opaque blue, right half transparent.
    std::vector<uint8_t> brush(16 * 16 * 4, 0);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x) {
            uint8_t* px = &brush[(y * 16 + x) * 4];
            px[2] = px[3] = 255;
        }
    ASSERT_EQ(DRO_WriteToFileRGBA32(brush.data(), 16, 16, path("b.png").c_str(), ".png", 96), 1);
    std::FILE* f = std::fopen(path("s.strokes").c_str(), "wb");
    std::fputs("size 16\nimagebrush b.png\nstroke\n  dab 30 30\nend\n", f);
    std::fclose(f);
    CliRun r = runDrovane("paint " + path("s.strokes") + " -o " + path("p.png") + " --size 60x60");
    ASSERT_EQ(r.status, 0) << r.output;
    const Picture p = readPicture(path("p.png"));
    EXPECT_GT(p.at(26, 30)[2], 200);  // left of the dab centre: blue
    EXPECT_LT(p.at(26, 30)[0], 60);
    EXPECT_EQ(p.at(34, 30)[0], 255);  // right: the picture is transparent there
    EXPECT_EQ(p.at(34, 30)[2], 255);

    // A picture larger than the largest brush is refused with its line.
    std::vector<uint8_t> big(300 * 2 * 4, 255);
    ASSERT_EQ(DRO_WriteToFileRGBA32(big.data(), 300, 2, path("big.png").c_str(), ".png", 96), 1);
    f = std::fopen(path("t.strokes").c_str(), "wb");
    std::fputs("size 16\n\nimagebrush big.png\n", f);
    std::fclose(f);
    r = runDrovane("paint " + path("t.strokes") + " -o " + path("q.png") + " --size 60x60");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("t.strokes:3:"), std::string::npos) << r.output;
}

TEST_F(ToolCliTest, ScriptRendersAndBrokenScriptsNameTheirLine) {
    const std::string example = std::string(DROVANE_EXAMPLES_DIR) + "/scripts/pattern.dps";
    CliRun r = runDrovane("script " + example + " -o " + path("pattern.png"));
    ASSERT_EQ(r.status, 0) << r.output;
    const Picture p = readPicture(path("pattern.png"));
    EXPECT_EQ(p.width, 256);
    EXPECT_EQ(p.height, 256);
    EXPECT_EQ(p.at(100, 100)[3], 255);

    const std::string broken = path("broken.dps");
    if (std::FILE* f = std::fopen(broken.c_str(), "wb")) {
        std::fputs("drovane-procedural 1\nsize 8 8\n\ngenerator plasma roughness=500\n", f);
        std::fclose(f);
    }
    r = runDrovane("script " + broken + " -o " + path("never.png"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find(broken + ":4: \"roughness\" must be 0 to 100"), std::string::npos) << r.output;
    r = runDrovane("script " + example);
    EXPECT_EQ(r.status, 2);

    // An effect on a broken script fails with the script's word and writes nothing.
    r = runDrovane("filter \"Backgrounds Nature\" --path " + broken + " " + path("pattern.png") + " " +
                   path("never.png"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("Backgrounds Nature: line 4: \"roughness\" must be 0 to 100"), std::string::npos) << r.output;
    EXPECT_FALSE(std::filesystem::exists(path("never.png")));
}
