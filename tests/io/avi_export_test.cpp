#include <gtest/gtest.h>
#if __has_include(<sys/resource.h>)
#include <sys/resource.h>  // a full disk, through the file-size limit
#define DROVANE_HAS_FILE_SIZE_LIMIT 1
#endif

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "io/avi_writer.h"
#include "io/export_tools.h"
#include "support/engine_fixture.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr int kW = 38, kH = 22;  // odd row bytes: DIB rows need padding

class AviExportTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        openCanvas(kW, kH);
    }

    // A frame that differs from its neighbours everywhere, smooth enough for JPEG.
    static std::vector<uint8_t> frame(int n) {
        std::vector<uint8_t> rgb;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                rgb.insert(rgb.end(), {uint8_t(x * 6 + n * 20), uint8_t(y * 10), uint8_t(128 + n * 30)});
        return rgb;
    }

    // "codec,width,height,rate,frames read" as ffprobe sees the video stream.
    static std::string probe(const std::string& file) {
        return runTool("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                       "stream=codec_name,width,height,r_frame_rate,nb_read_frames -of csv=p=0 '" + file + "'")
            .output;
    }

    // Every frame as ffmpeg decodes it, RGB24.
    static std::string decoded(const std::string& file) {
        return runTool("ffmpeg -v error -i '" + file + "' -f rawvideo -pix_fmt rgb24 -").output;
    }

    void writeFrames(const std::string& file, int count, int periodMs = 40) {
        DRO_CreateAVI(file.c_str(), periodMs);
        for (int i = 0; i < count; ++i) DRO_WriteAVI_RGB24(frame(i).data(), kW, kH);
    }

    ScratchDir scratch_{"drovane_avi"};
};

TEST_F(AviExportTest, FfmpegReadsEveryFrameOfUncompressedAndMjpegFiles) {
    if (!haveTool("ffprobe") || !haveTool("ffmpeg")) GTEST_SKIP() << "ffprobe/ffmpeg not installed";
    const std::string plain = scratch_.path("plain.avi");
    writeFrames(plain, 4);
    DRO_CloseAVI();
    EXPECT_EQ(probe(plain), "rawvideo,38,22,25/1,4\n");
    std::string expected;
    for (int i = 0; i < 4; ++i) {
        const auto f = frame(i);
        expected.append(f.begin(), f.end());
    }
    EXPECT_TRUE(decoded(plain) == expected);  // exact: uncompressed frames are lossless

    ASSERT_EQ(DRO_SetAVICompression("MJPG", 95), 1);
    const std::string mjpeg = scratch_.path("mjpeg.avi");
    writeFrames(mjpeg, 3, 33);
    DRO_CloseAVI();
    EXPECT_EQ(probe(mjpeg), "mjpeg,38,22,1000/33,3\n");
    const std::string pixels = decoded(mjpeg);
    ASSERT_EQ(pixels.size(), size_t(kW) * kH * 3 * 3);
    double error = 0;
    for (size_t i = 0; i < pixels.size(); ++i)
        error += std::abs(int(uint8_t(pixels[i])) - int(uint8_t(expected[i])));
    EXPECT_LT(error / pixels.size(), 3.0);
    EXPECT_EQ(DRO_SetAVICompression("XVID", 50), 0);
}

TEST_F(AviExportTest, RefusedFramesAndCallsOutOfOrderLeaveAWholeFile) {
    if (!haveTool("ffprobe")) GTEST_SKIP() << "ffprobe not installed";
    DRO_WriteAVI_RGB24(frame(0).data(), kW, kH);  // no writer
    DRO_CloseAVI();
    const std::string first = scratch_.path("first.avi");
    writeFrames(first, 2);
    const auto small = std::vector<uint8_t>(size_t(kW - 1) * kH * 3, 9);
    DRO_WriteAVI_RGB24(small.data(), kW - 1, kH);  // another size: refused
    DRO_WriteAVI_RGB24(nullptr, kW, kH);
    DRO_WriteAVI(scratch_.path("missing.bmp").c_str());
    // A second writer finishes the first instead of leaking it half-written.
    const std::string second = scratch_.path("second.avi");
    writeFrames(second, 1);
    EXPECT_EQ(probe(first), "rawvideo,38,22,25/1,2\n");
    DRO_CloseAVI();
    DRO_CloseAVI();
    DRO_WriteAVI_RGB24(frame(1).data(), kW, kH);  // after close
    EXPECT_EQ(probe(second), "rawvideo,38,22,25/1,1\n");

    // A BMP file of the canvas size is a frame like any other.
    const std::string bmp = scratch_.path("frame.bmp");
    ASSERT_NE(DRO_WriteToFileRGB24(frame(2).data(), kW, kH, bmp.c_str(), ".bmp", 72), 0);
    const std::string fromBmp = scratch_.path("bmp.avi");
    DRO_CreateAVI(fromBmp.c_str(), 40);
    DRO_WriteAVI(bmp.c_str());
    DRO_CloseAVI();
    EXPECT_EQ(probe(fromBmp), "rawvideo,38,22,25/1,1\n");
}

TEST_F(AviExportTest, TheSizeLimitStopsFramesCleanly) {
    if (!haveTool("ffprobe")) GTEST_SKIP() << "ffprobe not installed";
    const uint32_t frameChunk = 8 + 40 * kH * 3;  // padded rows of 38 pixels
    dro::io::testhooks::setAviByteLimit(224 + 3 * frameChunk + 8 + 3 * 16);
    const std::string file = scratch_.path("limit.avi");
    writeFrames(file, 5);
    EXPECT_TRUE(dro::io::aviWriterFailed());
    EXPECT_EQ(dro::io::aviFrameCount(), 3);
    EXPECT_NE(std::string(DRO_GetLastError()).find("1 GB"), std::string::npos);
    DRO_CloseAVI();
    EXPECT_EQ(probe(file), "rawvideo,38,22,25/1,3\n");
}

TEST_F(AviExportTest, AFileThatCannotBeWrittenNeverClaimsToBeComplete) {
    DRO_CreateAVI(scratch_.path("no/such/folder/x.avi").c_str(), 40);
    EXPECT_FALSE(dro::io::aviWriterOpen());

#ifndef DROVANE_HAS_FILE_SIZE_LIMIT
    GTEST_SKIP() << "no file-size limit on this system to fake a full disk with";
#else
    // A full disk, as the file-size limit makes it: writes fail with EFBIG.
    const std::string file = scratch_.path("full.avi");
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 16 * 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    writeFrames(file, 12);
    const bool failed = dro::io::aviWriterFailed();
    DRO_CloseAVI();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(failed);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(fs::exists(file + ".partial"));
#endif
}

}  // namespace
