#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <span>
#include <thread>

#include "platform/isolated_call.h"

using dro::platform::IsolatedOutcome;
using dro::platform::runIsolated;
using namespace std::chrono_literals;

using Bytes = std::vector<uint8_t>;
using Input = std::span<const uint8_t>;

IsolatedOutcome isolated(Bytes (*run)(Input), std::chrono::milliseconds limit = 60s, Input input = {}) {
    return runIsolated(dro::platform::IsolatedJob{"test", run}, input, limit);
}

// Input and reply far beyond a pipe's buffer must not deadlock the two processes and
// arrive byte for byte.
TEST(IsolatedCallTest, LargeInputsAndRepliesArriveWhole) {
    Bytes input(8u << 20);
    for (size_t i = 0; i < input.size(); ++i) input[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
    const auto outcome = isolated(
        [](Input bytes) {
            Bytes reply(bytes.begin(), bytes.end());
            for (auto& b : reply) b = static_cast<uint8_t>(~b);
            return reply;
        },
        60s, input);
    ASSERT_EQ(outcome.ended, IsolatedOutcome::Ended::Returned) << outcome.detail;
    ASSERT_EQ(outcome.reply.size(), input.size());
    for (size_t i = 0; i < outcome.reply.size(); i += 4099) ASSERT_EQ(outcome.reply[i], uint8_t(~input[i])) << i;
    EXPECT_TRUE(isolated([](Input) { return Bytes{}; }).reply.empty());
}

TEST(IsolatedCallTest, CrashesAndHangsStayInTheirProcess) {
    const auto crashed = isolated([](Input) -> Bytes { std::abort(); });
    EXPECT_EQ(crashed.ended, IsolatedOutcome::Ended::Crashed);
    EXPECT_FALSE(crashed.detail.empty());

    const auto thrown = isolated([](Input) -> Bytes { throw 1; });
    EXPECT_EQ(thrown.ended, IsolatedOutcome::Ended::Crashed);

    const auto start = std::chrono::steady_clock::now();
    const auto hung = isolated(
        [](Input) {
            std::this_thread::sleep_for(30s);
            return Bytes{1};
        },
        300ms);
    EXPECT_EQ(hung.ended, IsolatedOutcome::Ended::TimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
}
