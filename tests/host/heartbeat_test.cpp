// The heartbeat's pace over a simulated minute of a window timer: Windows' default clock tick
// (15.625 ms), a 1 ms tick (Wine, or a raised resolution), a message queue that answers late,
// and one that stalls for a second.
#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "app/heartbeat.h"

namespace {

constexpr int64_t Us = 1000;   // microseconds in a millisecond
constexpr uint32_t TimerMinimumMs = 10;   // USER_TIMER_MINIMUM: shorter timers take this

struct PacedRun {
    std::vector<int64_t> steps;   // when each step ran, in microseconds
    int timerSets = 0;            // SetTimer calls after the first
};

// A periodic window timer as Windows runs it: due a period after it was set (or last fired),
// by the clock of the last tick; it fires on the first tick at or after that, and fires that
// come while the thread is busy fold into one message. The clock the program reads is the
// last tick's time in whole milliseconds. `lateUs` tells how long step k's message waits.
template <typename Late>
PacedRun Simulate(int64_t tickUs, int64_t lengthUs, Late lateUs) {
    auto lastTick = [tickUs](int64_t t) { return t / tickUs * tickUs; };
    auto firstTickFrom = [tickUs](int64_t t) { return (t + tickUs - 1) / tickUs * tickUs; };
    PacedRun run;
    HeartbeatPace pace = {};
    const int64_t start = 5 * tickUs + 317;
    int64_t periodUs = StartHeartbeatPace(pace, static_cast<uint32_t>(lastTick(start) / Us)) * Us;
    int64_t dueUs = lastTick(start) + periodUs;
    int64_t busyUntil = 0;
    while (true) {
        int64_t fire = firstTickFrom(dueUs);
        const int64_t handled = std::max(fire, busyUntil) + lateUs(run.steps.size());
        if (handled > lengthUs) break;
        // Expiries while the message waited fold into this one; the timer runs on from there.
        while (fire + periodUs <= handled) fire = firstTickFrom(fire + periodUs);
        dueUs = fire + periodUs;
        run.steps.push_back(handled);
        busyUntil = handled;
        const uint32_t next = PaceHeartbeat(pace, static_cast<uint32_t>(lastTick(handled) / Us));
        if (next != 0) {
            ++run.timerSets;
            periodUs = std::max(next, TimerMinimumMs) * Us;
            dueUs = lastTick(handled) + periodUs;
        }
    }
    return run;
}

constexpr int64_t Minute = 60 * 1000 * Us;

double AverageMs(const PacedRun& run) {
    return static_cast<double>(run.steps.back() - run.steps.front()) / Us /
           static_cast<double>(run.steps.size() - 1);
}

int64_t OnTime(size_t) { return 0; }
// A loaded machine: every message waits 0 to 40 ms.
int64_t Loaded(size_t k) { return static_cast<int64_t>((k * 7919) % 41) * Us; }

TEST(HeartbeatPace, KeepsItsAverageOverAMinute) {
    const struct {
        const char* name;
        int64_t tickUs;
        int64_t (*lateUs)(size_t);
        int maxTimerSets;   // at the default tick the timer is set nearly every step (cheap there)
    } rows[] = {
        {"Windows' default tick", 15625, OnTime, 1000},
        {"a 1 ms tick: the first timer fits for good", 1000, OnTime, 0},
        {"a 10 ms tick", 10000, OnTime, 1000},
        {"a loaded machine", 15625, Loaded, 1000},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const PacedRun run = Simulate(r.tickUs, Minute, r.lateUs);
        EXPECT_NEAR(AverageMs(run), 128.0, 128.0 * 0.01);
        EXPECT_LE(run.timerSets, r.maxTimerSets);
        for (size_t k = 1; r.lateUs == OnTime && k < run.steps.size(); ++k) {
            const int64_t interval = run.steps[k] - run.steps[k - 1];
            EXPECT_LE(std::llabs(interval - 128 * Us), r.tickUs) << "step " << k;
        }
    }
}

// The thread stalls for a second at step 100: about eight steps are lost, none replayed, and
// the steps after it keep the pace.
TEST(HeartbeatPace, AStallDropsWhatItMissed) {
    constexpr size_t StallStep = 100;
    const PacedRun stalled = Simulate(15625, Minute, [](size_t k) {
        return k == StallStep ? int64_t{1000} * Us : int64_t{0};
    });
    const int64_t stallEnd = stalled.steps[StallStep];
    size_t soonAfter = 0;
    for (size_t k = StallStep + 1; k < stalled.steps.size(); ++k) {
        EXPECT_GE(stalled.steps[k] - stalled.steps[k - 1], int64_t{TimerMinimumMs} * Us);
        if (stalled.steps[k] - stallEnd <= 1000 * Us) ++soonAfter;
    }
    EXPECT_LE(soonAfter, 9u);   // a second's eight steps, and at most one sooner than its time
    const size_t unstalled = Simulate(15625, Minute, OnTime).steps.size();
    EXPECT_NEAR(static_cast<double>(stalled.steps.size()), unstalled - 1000.0 / 128.0, 1.5);
    const PacedRun after = {std::vector<int64_t>(stalled.steps.begin() + StallStep + 2,
                                                 stalled.steps.end()), 0};
    EXPECT_NEAR(AverageMs(after), 128.0, 128.0 * 0.01);
}

// The clock wraps after 49.7 days; the pace does not notice.
TEST(HeartbeatPace, TheClockWrapsUnnoticed) {
    HeartbeatPace pace = {};
    uint32_t now = 0xFFFFFF00u;
    EXPECT_EQ(StartHeartbeatPace(pace, now), HeartbeatPeriodMs);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(PaceHeartbeat(pace, now += HeartbeatPeriodMs), 0u);
    EXPECT_EQ(PaceHeartbeat(pace, now += HeartbeatPeriodMs + 5), HeartbeatPeriodMs - 5);
    EXPECT_EQ(PaceHeartbeat(pace, now += HeartbeatPeriodMs - 5), HeartbeatPeriodMs);
}

// The presence look rides on every eighth step (about a second), the device watch on every
// sixteenth; a schedule started again (the user back) counts afresh.
TEST(HeartbeatPace, SlowChoresRideOnTheSteps) {
    const struct {
        uint32_t step;
        bool look, watch;
    } rows[] = {{1, false, false}, {7, false, false},  {8, true, false},  {9, false, false},
                {15, false, false}, {16, true, true},  {24, true, false}, {32, true, true}};
    HeartbeatPace pace = {};
    for (int round = 0; round < 2; ++round) {
        uint32_t now = 5000;
        StartHeartbeatPace(pace, now);
        uint32_t step = 0;
        for (const auto& r : rows) {
            while (step < r.step) {
                PaceHeartbeat(pace, now += HeartbeatPeriodMs);
                ++step;
            }
            const HeartbeatChores chores = ChoresOfStep(pace);
            EXPECT_EQ(chores.presenceLook, r.look) << "step " << r.step;
            EXPECT_EQ(chores.deviceWatch, r.watch) << "step " << r.step;
        }
    }
}

}  // namespace
