#include <atomic>
#include <cstring>
#include <filesystem>
#include <thread>
#include <string>
#include <vector>

#include "core/frame_state.h"
#include "core/free_color.h"
#include "core/random_tables.h"
#include "core/system_events.h"
#include "support/engine_fixture.h"

using FrameTest = EngineTest;

TEST_F(FrameTest, LastErrorKeepsAtMost511Characters) {
    const std::string long_text(600, 'x');
    DRO_SetLastError(long_text.c_str());
    EXPECT_EQ(std::strlen(DRO_GetLastError()), 511u);
    DRO_SetLastError("short");
    EXPECT_STREQ(DRO_GetLastError(), "short");
    DRO_SetLastError(nullptr);
    EXPECT_STREQ(DRO_GetLastError(), "");
}

// A host may read the text on another thread while the engine writes it: every read
// is one whole text, never a mix of two or a half-cleared one.
TEST_F(FrameTest, LastErrorReadOnAnotherThreadIsNeverTorn) {
    const std::string a(511, 'a'), b(300, 'b');
    DRO_SetLastError(b.c_str());
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 200000; ++i) DRO_SetLastError(i % 2 ? a.c_str() : b.c_str());
        done = true;
    });
    int torn = 0;
    while (!done) {
        const std::string seen = DRO_GetLastError();
        torn += seen != a && seen != b;
    }
    writer.join();
    EXPECT_EQ(torn, 0);
}

TEST_F(FrameTest, StartDirectoryIgnoresTextsOf1024OrMore) {
    const std::string fits(1023, 'a');
    DRO_SetStartDir(fits.c_str());
    EXPECT_EQ(std::string(dro::frameState().startDir), fits);
    const std::string too_long(1024, 'b');
    DRO_SetStartDir(too_long.c_str());
    EXPECT_EQ(std::string(dro::frameState().startDir), fits);
    DRO_SetStartDir(nullptr);
    EXPECT_EQ(std::string(dro::frameState().startDir), fits);
}

TEST_F(FrameTest, DisplayChangeIsReportedOnceAndActivateNeedsWParam) {
    EXPECT_EQ(DRO_IsDisplayChanged(), 0);
    dro::onSystemMessage(dro::kMsgDisplayChange, 0);
    EXPECT_EQ(DRO_IsDisplayChanged(), 1);
    EXPECT_EQ(DRO_IsDisplayChanged(), 0);

    dro::onSystemMessage(dro::kMsgActivateApp, 0);
    EXPECT_EQ(DRO_IsDisplayChanged(), 0);
    dro::onSystemMessage(dro::kMsgActivateApp, 1);
    EXPECT_EQ(DRO_IsDisplayChanged(), 1);
    dro::onSystemMessage(dro::kMsgPowerBroadcast, 7);
    EXPECT_EQ(DRO_IsDisplayChanged(), 1);
    dro::onSystemMessage(0x0F /* paint */, 1);
    EXPECT_EQ(DRO_IsDisplayChanged(), 0);
}

TEST_F(FrameTest, HostAllocationsAndCopies) {
    EXPECT_EQ(DRO_Alloc(-1), nullptr);
    auto* block = static_cast<uint8_t*>(DRO_Alloc(16));
    ASSERT_NE(block, nullptr);
    const uint8_t source[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    DRO_Memcpy(block, source, 16);
    EXPECT_EQ(std::memcmp(block, source, 16), 0);
    DRO_Memcpy(nullptr, source, 16);
    DRO_Memcpy(block, nullptr, 16);
    DRO_Free(block);
    DRO_Free(nullptr);
    int variable = 0;
    EXPECT_EQ(BankAdrs(reinterpret_cast<intptr_t>(&variable)), reinterpret_cast<intptr_t>(&variable));
}

TEST_F(FrameTest, FailedAllocationWithoutHistoryGivesUpAtOnce) {
    dro::testhooks::resetAllocationAttempts();
    dro::testhooks::failAllAllocations(true);
    EXPECT_EQ(DRO_Alloc(1 << 20), nullptr);
    EXPECT_EQ(dro::x_NewCharUndoReduce(1000), nullptr);
    EXPECT_EQ(dro::x_NewShortUndoReduce(1000), nullptr);
    EXPECT_EQ(dro::testhooks::allocationAttempts(), 3);
}

TEST_F(FrameTest, OversizedShortArrayFailsWithoutTryingToAllocate) {
    dro::testhooks::resetAllocationAttempts();
    EXPECT_EQ(dro::x_NewShortUndoReduce(0x80000000ull), nullptr);
    EXPECT_EQ(dro::x_NewCharUndoReduce(0x100000000ull), nullptr);
    EXPECT_EQ(dro::testhooks::allocationAttempts(), 0);
}

TEST_F(FrameTest, RandomGeneratorIsTheCRuntimeSequence) {
    // The C runtime's rand() after srand(1).
    DRO_SetRandomSeed(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (int value : expected) EXPECT_EQ(dro::nextRandom(), value);
}

TEST_F(FrameTest, RandomByteTablesFollowTheSeed) {
    DRO_SetRandomSeed(7);
    dro::RandomByteArray a;
    dro::RandomByteArray b;
    ASSERT_TRUE(dro::MakeRandArrayByte(a, 255, 1000));
    ASSERT_TRUE(dro::MakeRandArrayByte(b, 255, 1000));
    EXPECT_EQ(std::memcmp(a.data.get(), b.data.get(), 1000), 0);
    for (int i = 0; i < 1000; ++i) ASSERT_LT(a.data[i], 255);

    // A matching request keeps the table; a new seed rebuilds it.
    const uint8_t* kept = a.data.get();
    dro::MakeRandArrayByte(a, 255, 1000);
    EXPECT_EQ(a.data.get(), kept);
    DRO_SetRandomSeed(8);
    dro::MakeRandArrayByte(a, 255, 1000);
    EXPECT_EQ(a.seed, 8);
    EXPECT_NE(std::memcmp(a.data.get(), b.data.get(), 1000), 0);

    // A modulus above 256 keeps the low byte of each value.
    dro::RandomByteArray wide;
    ASSERT_TRUE(dro::MakeRandArrayByte(wide, 1000, 5000));
    bool sawHigh = false;
    for (int i = 0; i < 5000; ++i) sawHigh = sawHigh || wide.data[i] > 200;
    EXPECT_TRUE(sawHigh);
}

TEST_F(FrameTest, FreeColorFindsTheLowestUnusedColour) {
    std::vector<uint8_t> black(16 * 4, 0);
    EXPECT_EQ(dro::x_FindFreeColor(black.data(), 4, 4), 1);

    // All 256 values of b0 used with b1 = b2 = 0: the next free colour has b1 = 1.
    std::vector<uint8_t> ramp(256 * 4, 0);
    for (int i = 0; i < 256; ++i) ramp[i * 4] = static_cast<uint8_t>(i);
    EXPECT_EQ(dro::x_FindFreeColor(ramp.data(), 256, 1), 1 << 8);

    // Alpha takes no part in the colour.
    std::vector<uint8_t> withAlpha = {0, 0, 0, 255, 1, 0, 0, 0};
    EXPECT_EQ(dro::x_FindFreeColor(withAlpha.data(), 2, 1), 2);
}

TEST_F(FrameTest, SystemQueriesAnswerSensibly) {
    EXPECT_GT(DRO_GetTotalPhyMemory(), 0);
    EXPECT_LE(DRO_GetAvailPhyMemory(), DRO_GetTotalPhyMemory());
    EXPECT_GE(DRO_GetTotalPgMemory(), DRO_GetTotalPhyMemory());
    EXPECT_LE(DRO_GetAvailPgMemory(), DRO_GetTotalPgMemory());
    EXPECT_GT(DRO_GetTotalVirMemory(), 0);
    EXPECT_LE(DRO_GetAvailVirMemory(), DRO_GetTotalVirMemory());
    // The system folder the OS reports ("/usr/share" on Linux, the Windows folder there).
    EXPECT_TRUE(std::filesystem::is_directory(DRO_GetDirInfo())) << DRO_GetDirInfo();
    EXPECT_EQ(DRO_IsCompositionEnabled() & ~1, 0);
    EXPECT_EQ(DRO_SetWindowBasePos(10, 20, 110, 220), 0);  // the canvas has no host window
    EXPECT_GT(DRO_GetWindowCaptionSize(), 0);
    EXPECT_NE(DRO_GetWindowBackgroundColor(), DRO_GetWindowTextColor());
}

TEST_F(FrameTest, RenameFileReportsSuccess) {
    const std::string from = ::testing::TempDir() + "drovane_rename_from";
    const std::string to = ::testing::TempDir() + "drovane_rename_to";
    std::remove(to.c_str());
    FILE* f = std::fopen(from.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_EQ(DRO_RenameFile(from.c_str(), to.c_str()), 1);
    EXPECT_EQ(DRO_RenameFile(from.c_str(), to.c_str()), 0);
    EXPECT_EQ(DRO_RenameFile(nullptr, to.c_str()), 0);
    std::remove(to.c_str());
}
