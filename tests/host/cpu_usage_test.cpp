#include <gtest/gtest.h>
#include <cstdint>
#include <limits>
#include "cpu/cpu.h"

namespace {

constexpr int64_t Second = 10000000;               // 100-nanosecond units
constexpr int64_t Clock = 132000000000000000LL;    // a time of day around 2019, since 1601
constexpr int64_t Idle = 500 * Second;
constexpr int32_t Max = std::numeric_limits<int32_t>::max();
constexpr int32_t Min = std::numeric_limits<int32_t>::min();

TEST(CpuUsage, FormulaOverOneInterval) {
    struct Case {
        const char* what;
        int64_t idleGrowth, idleBefore, interval;
        int32_t processors, usage;
    } cases[] = {
        {"first sample", 0, 0, Second, 1, 0},
        {"first sample under load", Second / 10, 0, Second, 1, 0},
        {"37.5 rounds up", 6250000, Idle, Second, 1, 38},
        {"37.4 rounds down", 6260000, Idle, Second, 1, 37},
        {"fully idle", Second, Idle, Second, 1, 0},
        {"fully busy", 0, Idle, Second, 1, 100},
        {"four processors, one busy", 3 * Second, Idle, Second, 4, 25},
        {"two processors, one half idle", Second / 2, Idle, Second, 2, 75},
        {"255 processors all idle", 255 * Second, Idle, Second, 255, 0},
        {"idle slightly ahead of a coarse clock", 10050000, Idle, Second, 1, 0},
        {"idle at 101.4 per cent", 10140000, Idle, Second, 1, 0},
        {"idle at 101.6 per cent reads no less than 0", 10160000, Idle, Second, 1, 0},
        {"idle at 150 per cent reads no less than 0", 15000000, Idle, Second, 1, 0},
        {"no interval", Second / 2, Idle, 0, 1, 0},
        {"clock set back", Second / 2, Idle, -Second, 1, 0},
        {"processor count unknown", Second / 2, Idle, Second, 0, 0},
        {"negative processor count", Second / 2, Idle, Second, -2, 0},
        {"idle running backwards reads no more than 100", -Second * 1000, Idle, 1, 1, 100},
        {"idle far ahead", Second * 1000, Idle, 1, 1, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UsageFromCounters(c.idleBefore + c.idleGrowth, c.idleBefore,
                                    Clock + c.interval, Clock, c.processors),
                  c.usage)
            << c.what;
    }
}

TEST(CpuUsage, CountersFarApartStayDefined) {
    EXPECT_EQ(UsageFromCounters(std::numeric_limits<int64_t>::min(), Max, 2, 1, 1), 100);
    EXPECT_EQ(UsageFromCounters(std::numeric_limits<int64_t>::max(), Min, 2, 1, 1), 0);
    // A clock that wrapped from the top to the bottom is an interval of no length.
    EXPECT_EQ(UsageFromCounters(Idle + 1, Idle, std::numeric_limits<int64_t>::min(),
                                std::numeric_limits<int64_t>::max(), 1),
              0);
    // Counters of the real magnitude: 30 per cent busy over 0.9 s at 1.3e17.
    EXPECT_EQ(UsageFromCounters(Idle + 6300000, Idle, Clock + 9000000, Clock, 1), 30);
}

// Samples in a row, each against the baseline the one before left. The about dialog's
// one-second sample and the heartbeat's may fall within one tick of the system clock.
TEST(CpuUsage, SamplesInARowKeepTheirBaseline) {
    IdleTimeBefore = 0;
    ClockBefore = 0;
    struct Step {
        const char* what;
        int64_t idle, clock;
        int32_t usage;
        int64_t baselineIdle, baselineClock;
    } steps[] = {
        {"first sample", Idle, Clock, 0, Idle, Clock},
        {"one second, 30 per cent", Idle + 7000000, Clock + Second, 30, Idle + 7000000,
         Clock + Second},
        {"same clock tick: usage and baseline kept", Idle + 8000000, Clock + Second, 30,
         Idle + 7000000, Clock + Second},
        {"the next second counts from the kept baseline", Idle + 12000000, Clock + 2 * Second,
         50, Idle + 12000000, Clock + 2 * Second},
        {"clock set back: usage kept, counted from here on", Idle + 13000000,
         Clock + Second, 50, Idle + 13000000, Clock + Second},
        {"a second after the set-back clock", Idle + 15500000, Clock + 2 * Second, 75,
         Idle + 15500000, Clock + 2 * Second},
    };
    int32_t usage = 0;
    for (const auto& s : steps) {
        usage = TakeUsageSample(s.idle, s.clock, 1, usage);
        EXPECT_EQ(usage, s.usage) << s.what;
        EXPECT_EQ(IdleTimeBefore, s.baselineIdle) << s.what;
        EXPECT_EQ(ClockBefore, s.baselineClock) << s.what;
    }
    IdleTimeBefore = 0;
    ClockBefore = 0;
}

}  // namespace
