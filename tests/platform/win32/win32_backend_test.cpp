// The Win32 backend against the real services (under wine in CI): the hidden window's
// messages, message boxes taken over by the host, replacing a file on save, and TWAIN
// through a stand-in EZTW32.dll.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

// The engine's clipboard is the system's: a copy lands there as CF_DIB for any program,
// and a CF_DIB another program put there is what the engine pastes.
TEST(Win32Backend, ClipboardRoundTripsThroughTheSystemClipboard) {
    const uint8_t copied[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255};  // 3 x 1 RGBA
    const DWORD before = GetClipboardSequenceNumber();
    DRO_RGBA32ToClipboardRect(copied, 0, 0, 3, 1, 0);
    EXPECT_NE(GetClipboardSequenceNumber(), before);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_DIB);
    ASSERT_NE(data, nullptr);
    BITMAPINFOHEADER header{};
    std::memcpy(&header, GlobalLock(data), sizeof header);
    GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(header.biSize, sizeof header);
    EXPECT_EQ(header.biWidth, 3);
    EXPECT_EQ(std::abs(header.biHeight), 1);

    // Another program's 2 x 2 24-bit DIB: rows bottom first, each padded to four bytes.
    struct {
        BITMAPINFOHEADER header;
        uint8_t rows[2][8];
    } dib{};
    dib.header = {sizeof(BITMAPINFOHEADER), 2, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const uint8_t bottom[8] = {1, 2, 3, 4, 5, 6, 0, 0}, top[8] = {7, 8, 9, 10, 11, 12, 0, 0};  // blue, green, red
    std::memcpy(dib.rows[0], bottom, 8);
    std::memcpy(dib.rows[1], top, 8);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof dib);
    ASSERT_NE(block, nullptr);
    std::memcpy(GlobalLock(block), &dib, sizeof dib);
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    ASSERT_NE(SetClipboardData(CF_DIB, block), nullptr);
    CloseClipboard();

    ASSERT_EQ(DRO_FromClipboard(), 1);
    ASSERT_EQ(DRO_GetNewRGBAWidth(), 2);
    ASSERT_EQ(DRO_GetNewRGBAHeight(), 2);
    uint8_t pasted[16];
    DRO_GetNewRGBA32(pasted);
    DRO_DeleteNewRGBA();
    const uint8_t expected[16] = {9, 8, 7, 255, 12, 11, 10, 255, 3, 2, 1, 255, 6, 5, 4, 255};  // top row first
    EXPECT_EQ(std::vector<uint8_t>(pasted, pasted + 16), std::vector<uint8_t>(expected, expected + 16));
}

}  // namespace
