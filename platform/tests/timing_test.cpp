// Calls at clock times (the test double in order, the thread of its own) and the multimedia
// millisecond clock with its balanced timer periods.
#include "platform/clock/timing.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/clock/mm_time.h"

namespace velt::platform {
namespace {

TEST(Timing, ManualTimingRunsDueCallbacksInOrderAtTheirTimes) {
    ManualTiming timing(100);
    std::vector<std::pair<std::string, int64_t>> ran;
    auto note = [&](const std::string& name) {
        return [&ran, &timing, name] { ran.emplace_back(name, timing.nowMs()); };
    };
    timing.at(150, note("b"));
    int cancelled = timing.at(120, note("never"));
    timing.at(120, note("a"));
    timing.at(150, [&] {
        ran.emplace_back("c", timing.nowMs());
        timing.at(160, note("scheduled inside"));
    });
    timing.at(90, note("overdue"));
    timing.cancel(cancelled);
    timing.cancel(12345);
    timing.advance(55);
    const std::vector<std::pair<std::string, int64_t>> expected = {
        {"overdue", 100}, {"a", 120}, {"b", 150}, {"c", 150}};
    EXPECT_EQ(ran, expected);
    EXPECT_EQ(timing.nowMs(), 155);
    EXPECT_EQ(timing.pending(), 1u);
    timing.advance(5);
    EXPECT_EQ(ran.back(), (std::pair<std::string, int64_t>{"scheduled inside", 160}));
}

TEST(Timing, ThreadTimingRunsCallbacksOnItsThreadAndForgetsCancelledOnes) {
    std::atomic<int> ran{0};
    std::atomic<bool> cancelledRan{false};
    {
        ThreadTiming timing;
        int late = timing.at(timing.clock().nowMs() + 60000, [&] { cancelledRan = true; });
        timing.cancel(late);
        timing.at(timing.clock().nowMs() + 1, [&] { ++ran; });
        timing.at(0, [&] { ++ran; });
        // Bounded wait for the two callbacks; no assertion on how fast they came.
        for (int i = 0; i < 5000 && ran < 2; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(ran, 2);
    EXPECT_FALSE(cancelledRan);
}

TEST(Timing, TimeGetTimeReadsTheSelectedClockAndPeriodsBalance) {
    ManualClock clock(4294967296LL + 42);  // past 2^32 ms: the value wraps
    useTimeClock(&clock);
    EXPECT_EQ(timeGetTime(), 42u);
    clock.advance(500);
    EXPECT_EQ(timeGetTime(), 542u);
    EXPECT_EQ(timeBeginPeriod(1), 0u);
    EXPECT_EQ(timePeriodsOpen(), 1);
    EXPECT_EQ(timeEndPeriod(1), 0u);
    EXPECT_EQ(timePeriodsOpen(), 0);
    EXPECT_EQ(timeEndPeriod(1), 97u) << "an end without a begin";
    EXPECT_EQ(timeBeginPeriod(0), 97u);
    useTimeClock(nullptr);
}

}  // namespace
}  // namespace velt::platform
