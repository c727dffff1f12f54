// The command-line host, run as a user runs it: exit statuses, one-line errors, and
// pictures that come out as the commands say.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/cli_run.h"
#include "support/engine_fixture.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

CliRun drovane(const std::string& arguments) { return runDrovane(arguments); }

class CliTest : public EngineTest {
protected:
    std::string path(const std::string& name) const { return scratch_.path(name); }

    // Reads a picture through the engine: width, height and the RGBA32 pixels.
    static std::vector<uint8_t> pixelsOf(const std::string& file, int& w, int& h) {
        w = h = 0;
        if (!DRO_ReadFromFile(file.c_str())) return {};
        w = DRO_GetNewRGBAWidth();
        h = DRO_GetNewRGBAHeight();
        std::vector<uint8_t> out(static_cast<size_t>(w) * h * 4);
        DRO_GetNewRGBA32(out.data());
        return out;
    }

    ScratchDir scratch_{"drovane_cli"};
};

TEST_F(CliTest, HelpDocumentsEveryCommand) {
    const CliRun run = drovane("--help");
    EXPECT_EQ(run.status, 0);
    for (const char* command : {"info", "convert", "filter", "lua", "paint", "render", "demo"})
        EXPECT_NE(run.output.find(std::string("drovane ") + command), std::string::npos) << command;
}

TEST_F(CliTest, BadArgumentsGiveOneLineAndStatusTwo) {
    for (const char* arguments : {"", "paintbrush", "convert", "convert a.png", "convert a.png -o b.png --format png",
                                  "filter Nope a.png b.png", "filter Box Blur", "filter \"Box Blur\" --slider1 x a b",
                                  "filter \"Box Blur\" --color 1,2 a b", "demo", "lua only.lua", "info --wat"}) {
        const CliRun run = drovane(arguments);
        EXPECT_EQ(run.status, 2) << arguments << ": " << run.output;
        EXPECT_EQ(lineCount(run.output), 1) << arguments << ": " << run.output;
    }
}

TEST_F(CliTest, DemoWritesTheLayeredPicture) {
    const CliRun run = drovane("demo " + path("demo.png"));
    ASSERT_EQ(run.status, 0) << run.output;
    int w = 0, h = 0;
    const auto pixels = pixelsOf(path("demo.png"), w, h);
    ASSERT_EQ(w, 640);
    ASSERT_EQ(h, 400);
    // The hills along the bottom are near black; the sky above is not.
    const uint8_t* bottom = &pixels[(static_cast<size_t>(h - 2) * w + w / 2) * 4];
    const uint8_t* top = &pixels[(static_cast<size_t>(h / 3) * w + w / 2) * 4];
    EXPECT_LT(bottom[0] + bottom[1] + bottom[2], 120);
    EXPECT_GT(top[0] + top[1] + top[2], 120);
    for (size_t i = 3; i < pixels.size(); i += 4) ASSERT_EQ(pixels[i], 255);

    auto at = [&](int x, int y) { return &pixels[(static_cast<size_t>(y) * w + x) * 4]; };
    // The hard round brush lays its colour (170, 20, 40) fully on the ribbon.
    EXPECT_NEAR(at(75, 52)[0], 170, 1);
    EXPECT_NEAR(at(75, 52)[1], 20, 1);
    EXPECT_NEAR(at(75, 52)[2], 40, 1);
    // The grainy soft brush leaves grain gaps: inside a tuft's base, most pixels are
    // grass green and a few still show the dark hill.
    int grass = 0, gaps = 0;
    for (int y = 384; y < 400; ++y)
        for (int x = 32; x < 48; ++x) {
            const uint8_t* p = at(x, y);
            grass += p[1] > 120 && p[1] > p[0] && p[1] > p[2];
            gaps += p[0] + p[1] + p[2] < 120;
        }
    EXPECT_GT(grass, 150);
    EXPECT_GT(gaps, 0);
    // The smudge drags the red ribbon down into the bluish sky: on its path the sky
    // turns red, beside it the sky stays bluer than red.
    EXPECT_GT(at(278, 110)[0], at(278, 110)[2] + 40);
    EXPECT_GT(at(318, 110)[2], at(318, 110)[0]);
}

TEST_F(CliTest, ConvertKeepsPixelsThroughLosslessFormatsAndReportsFailures) {
    ASSERT_EQ(drovane("demo " + path("d.png")).status, 0);
    CliRun run = drovane("convert " + path("d.png") + " --format tif --dpi 300");
    ASSERT_EQ(run.status, 0) << run.output;
    int w = 0, h = 0, w2 = 0, h2 = 0;
    EXPECT_EQ(pixelsOf(path("d.tif"), w, h), pixelsOf(path("d.png"), w2, h2));
    EXPECT_EQ(DRO_GetDPIFromFile(path("d.tif").c_str()), 300);

    run = drovane("convert " + path("d.png") + " " + path("missing.png") + " --format .bmp");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("[2/2]"), std::string::npos);  // progress per file
    EXPECT_TRUE(fs::exists(path("d.bmp")));
    EXPECT_EQ(drovane("convert " + path("d.png") + " -o " + path("d.unknown")).status, 1);
}

TEST_F(CliTest, ConvertNeverReplacesItsInputUnasked) {
    ASSERT_EQ(drovane("demo " + path("d.png")).status, 0);
    fs::create_symlink(path("d.png"), path("alias.png"));
    const auto before = fs::last_write_time(path("d.png"));
    for (const std::string& arguments :
         {path("d.png") + " --format png", path("d.png") + " -o " + path("alias.png"),
          path("alias.png") + " -o " + path("d.png")}) {
        const CliRun run = drovane("convert " + arguments);
        EXPECT_EQ(run.status, 1) << arguments;
        EXPECT_NE(run.output.find("--overwrite"), std::string::npos) << run.output;
    }
    EXPECT_EQ(fs::last_write_time(path("d.png")), before);
    EXPECT_EQ(drovane("convert " + path("d.png") + " --format png --overwrite").status, 0);
}

TEST_F(CliTest, FailuresSayWhy) {
    fs::create_directories(path("folder.png"));
    CliRun run = drovane("convert " + path("missing.png") + " -o " + path("x.png"));
    EXPECT_NE(run.output.find("missing.png': not found"), std::string::npos) << run.output;
    run = drovane("info " + path("folder.png"));
    EXPECT_NE(run.output.find("it is a folder"), std::string::npos) << run.output;
    ASSERT_EQ(drovane("demo " + path("d.png")).status, 0);
    run = drovane("convert " + path("d.png") + " -o " + path("folder.png"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("it is a folder"), std::string::npos) << run.output;
}

TEST_F(CliTest, FilterAndLuaChangeThePicture) {
    ASSERT_EQ(drovane("demo " + path("d.png")).status, 0);
    int w = 0, h = 0;
    const auto original = pixelsOf(path("d.png"), w, h);

    CliRun run = drovane("lua " + std::string(DROVANE_EXAMPLES_DIR) + "/lua/invert.lua " + path("d.png") + " " +
                      path("inverted.png"));
    ASSERT_EQ(run.status, 0) << run.output;
    const auto inverted = pixelsOf(path("inverted.png"), w, h);
    ASSERT_EQ(inverted.size(), original.size());
    for (size_t i = 0; i < original.size(); i += 4) {
        // 1 - r in 0..1 comes back truncated to a byte, so it may land one below.
        ASSERT_NEAR(inverted[i], 255 - original[i], 1);
        ASSERT_EQ(inverted[i + 3], original[i + 3]);
    }

    run = drovane("filter \"Basic Threshold\" --slider1 500 " + path("d.png") + " " + path("bw.png"));
    ASSERT_EQ(run.status, 0) << run.output;
    const auto bw = pixelsOf(path("bw.png"), w, h);
    for (size_t i = 0; i < bw.size(); i += 4) ASSERT_TRUE(bw[i] == 0 || bw[i] == 255);

    const std::string broken = path("broken.lua");
    { std::FILE* f = std::fopen(broken.c_str(), "w"); std::fputs("x = = 1", f); std::fclose(f); }
    run = drovane("lua " + broken + " " + path("d.png") + " " + path("never.png"));
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(fs::exists(path("never.png")));
}

// A script's own message box is a message, not a failure; the sandbox is the default;
// a runaway script ends at the time limit with a clear word and no output file.
TEST_F(CliTest, LuaRunsSandboxedWithATimeLimitAndPrintsMessages) {
    ASSERT_EQ(drovane("demo " + path("d.png")).status, 0);
    auto script = [&](const std::string& name, const char* text) {
        std::FILE* f = std::fopen(path(name).c_str(), "w");
        std::fputs(text, f);
        std::fclose(f);
        return path(name);
    };
    CliRun run = drovane("lua " + script("note.lua", "message_box('half way', 'Note')\n") + " " + path("d.png") +
                         " " + path("noted.png"));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("Note: half way"), std::string::npos) << run.output;
    EXPECT_TRUE(fs::exists(path("noted.png")));

    const std::string reach = script("reach.lua", "assert(io == nil and os.execute == nil and os.time ~= nil)\n");
    EXPECT_EQ(drovane("lua " + reach + " " + path("d.png") + " " + path("sandboxed.png")).status, 0);
    EXPECT_EQ(drovane("lua --allow-system " + reach + " " + path("d.png") + " " + path("open.png")).status, 1);

    run = drovane("lua --timeout 1 " + script("spin.lua", "while true do end\n") + " " + path("d.png") + " " +
                  path("spun.png"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("time limit"), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(path("spun.png")));
}

}  // namespace
