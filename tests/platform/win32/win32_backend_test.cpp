// The Win32 backend against the real services (under wine in CI): the hidden window's
// messages, message boxes taken over by the host, replacing a file on save, and TWAIN
// through a stand-in EZTW32.dll.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/system_events.h"
#include "drovane.h"
#include "io/import_buffer.h"
#include "platform/file_replacement.h"
#include "platform/platform.h"
#include "support/scratch_dir.h"

namespace {

void pumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

TEST(Win32Backend, HiddenWindowRaisesDisplayChangeOnceForAPostedMessage) {
    dro::platform::startSystemEventWindow(dro::onSystemMessage);
    dro::platform::startSystemEventWindow(dro::onSystemMessage);  // a second start makes no second window
    const HWND window = FindWindowA("Kestrabble DLL window", "KS Internal WND");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(FindWindowExA(nullptr, window, "Kestrabble DLL window", nullptr), nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
    pumpMessages();
    dro::takeDisplayChanged();

    // Deactivation (wParam 0) is not a change; the display change is, once.
    ASSERT_TRUE(PostMessageA(window, WM_ACTIVATEAPP, 0, 0));
    pumpMessages();
    EXPECT_FALSE(dro::takeDisplayChanged());
    ASSERT_TRUE(PostMessageA(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768)));
    pumpMessages();
    EXPECT_TRUE(dro::takeDisplayChanged());
    EXPECT_FALSE(dro::takeDisplayChanged());
}

TEST(Win32Backend, MessageBoxGoesToTheHostHookWithoutBlocking) {
    struct Seen {
        std::string text, caption;
        int calls = 0;
    } seen;
    dro::platform::setMessageCallback(
        [](const char* text, const char* caption, void* user) {
            auto* s = static_cast<Seen*>(user);
            s->text = text;
            s->caption = caption;
            ++s->calls;
        },
        &seen);
    dro::platform::messageBox("Not enough memory", "Drovane");
    EXPECT_EQ(seen.text, "Not enough memory");
    EXPECT_EQ(seen.caption, "Drovane");
    dro::platform::messageBox(nullptr, nullptr);
    dro::platform::setMessageCallback(nullptr, nullptr);
    EXPECT_EQ(seen.calls, 2);
    EXPECT_EQ(seen.text, "");
    EXPECT_EQ(seen.caption, "");
}

// A plain rename refuses an existing target on Windows; saving over a file must not,
// and must leave no temporary behind.
TEST(Win32Backend, ReplacementOverwritesAnExistingTargetAndCleansUp) {
    ScratchDir dir("win32_replace");
    const std::string to = dir.path("picture.png");
    std::ofstream(to, std::ios::binary) << "old contents";
    {
        dro::platform::FileReplacement replacement(to.c_str());
        ASSERT_TRUE(replacement.file()) << replacement.problem();
        std::fputs("new", replacement.file());
        ASSERT_TRUE(replacement.commit()) << replacement.problem();
    }
    std::ifstream in(to, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path("")), {}), 1);
    { dro::platform::FileReplacement abandoned(dir.path("other.png").c_str()); }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path("")), {}), 1);
    EXPECT_FALSE(dro::platform::FileReplacement(dir.path("").c_str()).file());
}

TEST(Win32Backend, TwainAcquiresTheDibIntoNewRgbaOpaqueAndReleasesIt) {
    ASSERT_EQ(DRO_IsTwain(), 1) << "EZTW32.dll (the test's stand-in) beside the test program";
    EXPECT_EQ(DRO_TwainSelectSource(), 1);
    ASSERT_EQ(DRO_TwainAcquire(), 1);
    const auto& picture = dro::importBuffer();
    ASSERT_EQ(picture.width, 3);
    ASSERT_EQ(picture.height, 2);
    // The stand-in's pixel (x, y): red 200 + x + 3y, green 100 + 10y, blue 10 + x; rows
    // arrive bottom first and leave top first.
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const uint8_t* px = &picture.pixels[static_cast<size_t>(y * 3 + x) * 4];
            EXPECT_EQ(px[0], 200 + x + 3 * y);
            EXPECT_EQ(px[1], 100 + 10 * y);
            EXPECT_EQ(px[2], 10 + x);
            EXPECT_EQ(px[3], 255);
        }
    using FreedCount = LONG(WINAPI*)();
    const auto freed = reinterpret_cast<FreedCount>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("EZTW32.dll"), "FreedCount")));
    ASSERT_NE(freed, nullptr);
    EXPECT_EQ(freed(), 1);
    DRO_DeleteNewRGBA();
}

}  // namespace
