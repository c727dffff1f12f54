// Screen capture through Xlib: refused without a display, and a real X server's screen
// (Xvfb, when installed) read into NewRGBA.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/engine_fixture.h"

namespace {

class X11ScreenCaptureTest : public EngineTest {};

TEST_F(X11ScreenCaptureTest, ScreenCaptureNeedsADisplay) {
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    unsetenv("DISPLAY");
    EXPECT_EQ(DRO_ScreenCapture(), 0);
    openCanvas(8, 8);
    EXPECT_EQ(DRO_ScreenCaptureInto(), 0);
    if (display) setenv("DISPLAY", saved.c_str(), 1);
}


TEST_F(X11ScreenCaptureTest, ScreenCaptureReadsAnXvfbScreen) {
    if (std::system("command -v Xvfb >/dev/null 2>&1") != 0) GTEST_SKIP() << "Xvfb not installed";
    const std::string display = ":" + std::to_string(90 + getpid() % 500);
    const std::string start = "Xvfb " + display + " -screen 0 64x48x24 -nolisten tcp >/dev/null 2>&1 & echo $!";
    std::FILE* pipe = popen(start.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    int pid = 0;
    ASSERT_EQ(std::fscanf(pipe, "%d", &pid), 1);
    pclose(pipe);
    const char* old = std::getenv("DISPLAY");
    const std::string saved = old ? old : "";
    setenv("DISPLAY", display.c_str(), 1);
    int captured = 0;
    for (int attempt = 0; attempt < 50 && !captured; ++attempt) {
        captured = DRO_ScreenCapture();
        if (!captured) usleep(100000);  // the server is still starting
    }
    kill(pid, SIGTERM);
    if (old) setenv("DISPLAY", saved.c_str(), 1); else unsetenv("DISPLAY");
    ASSERT_EQ(captured, 1);
    EXPECT_EQ(DRO_GetNewRGBAWidth(), 64);
    EXPECT_EQ(DRO_GetNewRGBAHeight(), 48);
    std::vector<uint8_t> px(64 * 48 * 4);
    DRO_GetNewRGBA32(px.data());
    EXPECT_EQ(DRO_IsNewRGBA32Transparent(), 0);
}

}  // namespace
