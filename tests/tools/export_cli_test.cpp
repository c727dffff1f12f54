#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "io/export_tools.h"
#include "support/cli_run.h"
#include "support/engine_fixture.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

class ExportCli : public EngineTest {
protected:
    std::string picture(const std::string& name, int w, int h, uint8_t shade) {
        const std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3, shade);
        const std::string file = scratch_.path(name);
        EXPECT_NE(DRO_WriteToFileRGB24(rgb.data(), w, h, file.c_str(), ".png", 96), 0);
        return file;
    }
    ScratchDir scratch_{"drovane_export_cli"};
};

TEST_F(ExportCli, AnimBuildsAvisAndGifsFromFramesOfOneSize) {
    const std::string a = picture("a.png", 20, 10, 30), b = picture("b.png", 20, 10, 200);
    const std::string gif = scratch_.path("out.gif");
    const CliRun made = runDrovane("anim '" + a + "' '" + b + "' '" + a + "' -o '" + gif + "' --fps 4");
    EXPECT_EQ(made.status, 0) << made.output;
    EXPECT_EQ(lineCount(made.output), 3);  // one progress line a frame
    EXPECT_EQ(readPicture(gif).width, 20);

    if (haveTool("ffprobe")) {
        const std::string avi = scratch_.path("out.avi");
        ASSERT_EQ(runDrovane("anim '" + a + "' '" + b + "' -o '" + avi + "' --fps 5 --mjpeg").status, 0);
        EXPECT_EQ(runTool("ffprobe -v error -count_frames -show_entries stream=codec_name,r_frame_rate,nb_read_frames "
                          "-of csv=p=0 '" + avi + "'").output,
                  "mjpeg,5/1,2\n");
    }
    const std::string odd = picture("odd.png", 21, 10, 90);
    const CliRun refused = runDrovane("anim '" + a + "' '" + odd + "' -o '" + scratch_.path("x.avi") + "'");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.output.find("21x10"), std::string::npos) << refused.output;
    EXPECT_EQ(runDrovane("anim '" + a + "' -o '" + scratch_.path("x.mp4") + "'").status, 2);
}

TEST_F(ExportCli, PdfNeverDeletesTheUsersImages) {
    if (!haveTool("qpdf")) GTEST_SKIP() << "qpdf not installed";
    const std::string a = picture("a.png", 30, 20, 50), b = picture("b.png", 10, 40, 150);
    const std::string pdf = scratch_.path("doc.pdf");
    const CliRun run = runDrovane("pdf '" + a + "' '" + b + "' -o '" + pdf + "' --slideshow");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(fs::exists(a));
    EXPECT_TRUE(fs::exists(b));
    EXPECT_EQ(runTool("qpdf --check '" + pdf + "' >/dev/null").status, 0);
    EXPECT_EQ(runTool("qpdf --show-npages '" + pdf + "'").output, "2\n");
    EXPECT_EQ(runDrovane("pdf '" + scratch_.path("missing.png") + "' -o '" + pdf + "'").status, 1);
}

}  // namespace
