// resize, crop, rotate, flip and text from the command line: the picture written has
// the size the engine gave the layers, and the pixels went where the command says.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/cli_run.h"
#include "support/engine_fixture.h"
#include "support/scratch_dir.h"

namespace {

class GeometryCliTest : public EngineTest {
protected:
    std::string path(const std::string& name) const { return scratch_.path(name); }
    ScratchDir scratch_{"drovane_geometry_cli"};
};

TEST_F(GeometryCliTest, OutputsTakeTheNewSizeAndMovePixelsAsAsked) {
    ASSERT_EQ(runDrovane("demo " + path("in.png")).status, 0);
    const Picture in = readPicture(path("in.png"));
    ASSERT_EQ(in.width, 640);

    // Corners in either order, reaching past the picture: the tool writes what the engine kept.
    CliRun run = runDrovane("crop " + path("in.png") + " " + path("crop.png") + " --rect 700,300,600,250");
    ASSERT_EQ(run.status, 0) << run.output;
    const Picture crop = readPicture(path("crop.png"));
    EXPECT_EQ(crop.width, 40);
    EXPECT_EQ(crop.height, 50);
    EXPECT_EQ(0, std::memcmp(crop.at(0, 0), in.at(600, 250), 4));

    run = runDrovane("rotate " + path("in.png") + " " + path("left.png") + " --left");
    ASSERT_EQ(run.status, 0) << run.output;
    const Picture left = readPicture(path("left.png"));
    ASSERT_EQ(left.width, 400);
    ASSERT_EQ(left.height, 640);
    EXPECT_EQ(0, std::memcmp(left.at(0, 639), in.at(0, 0), 4));  // counter-clockwise

    run = runDrovane("resize " + path("in.png") + " " + path("small.png") + " --size 101x37 --filter Catrom");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(readPicture(path("small.png")).width, 101);

    run = runDrovane("text " + path("in.png") + " " + path("text.png") + " --text Hi --at 5,5 --color 255,0,0");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(readPicture(path("text.png")).rgba, in.rgba);

    for (const std::string bad : {"resize a.png b.png", "crop a.png b.png --rect 1,2,3", "rotate a.png b.png",
                                  "flip a.png b.png --horizontal --vertical", "text a.png b.png"}) {
        run = runDrovane(bad);
        EXPECT_EQ(run.status, 2) << bad << ": " << run.output;
        EXPECT_EQ(lineCount(run.output), 1) << bad;
    }
}

}  // namespace
