#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/isolated_call.h"

using dro::platform::IsolatedOutcome;
using dro::platform::runIsolated;
using namespace std::chrono_literals;

// A reply far beyond a pipe's buffer must not deadlock the two processes and arrives
// byte for byte.
TEST(IsolatedCallTest, LargeRepliesArriveWhole) {
    const auto outcome = runIsolated(
        [] {
            std::vector<uint8_t> bytes(8u << 20);
            for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
            return bytes;
        },
        60s);
    ASSERT_EQ(outcome.ended, IsolatedOutcome::Ended::Returned) << outcome.detail;
    ASSERT_EQ(outcome.reply.size(), 8u << 20);
    for (size_t i = 0; i < outcome.reply.size(); i += 4099)
        ASSERT_EQ(outcome.reply[i], static_cast<uint8_t>(i * 2654435761u >> 13)) << i;
    EXPECT_TRUE(runIsolated([] { return std::vector<uint8_t>{}; }, 60s).reply.empty());
}

TEST(IsolatedCallTest, CrashesAndHangsStayInTheirProcess) {
    const auto crashed = runIsolated([]() -> std::vector<uint8_t> { std::abort(); }, 60s);
    EXPECT_EQ(crashed.ended, IsolatedOutcome::Ended::Crashed);
    EXPECT_FALSE(crashed.detail.empty());

    const auto thrown = runIsolated([]() -> std::vector<uint8_t> { throw 1; }, 60s);
    EXPECT_EQ(thrown.ended, IsolatedOutcome::Ended::Crashed);

    const auto start = std::chrono::steady_clock::now();
    const auto hung = runIsolated(
        [] {
            std::this_thread::sleep_for(30s);
            return std::vector<uint8_t>{1};
        },
        300ms);
    EXPECT_EQ(hung.ended, IsolatedOutcome::Ended::TimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
}
