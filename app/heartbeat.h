// The heartbeat's pace: a step every 128 ms on average, without raising the system's timer
// resolution. A window timer fires on the first clock tick after it is due, and at Windows'
// default tick of 15.625 ms a timer of 128 ms comes every 140.6 ms: the water and the tipping
// would run about 10 % slow. So each step sets the next timer for the time left to the next
// step of a steady schedule read off the millisecond clock; the timer is set again only when
// that time differs from the one it runs with. Portable: the clock is handed in.
#pragma once
#include <cstdint>

constexpr uint32_t HeartbeatPeriodMs = 128;

struct HeartbeatPace {
    uint32_t dueMs;     // when the step now awaited is due on the schedule
    uint32_t armedMs;   // the period the window timer runs with
    uint32_t steps;     // the steps run since the schedule started
};

// The schedule starts now: its first step is due a period from now. Answers the timer's period.
uint32_t StartHeartbeatPace(HeartbeatPace& pace, uint32_t nowMs);

// The timer has fired at nowMs, and one step runs. A step missed by more than a period (the
// thread stalled, the machine slept) is dropped, not run later in a burst. Answers the period
// the timer must be set to now, or 0 when the one it runs with still fits the schedule.
uint32_t PaceHeartbeat(HeartbeatPace& pace, uint32_t nowMs);

// The slow chores ride on the heartbeat while it runs, as counters of its steps, instead of
// waking the thread on timers of their own: the presence look about once a second, the device
// watch's look about every two.
constexpr uint32_t PresenceLookSteps = 8;
constexpr uint32_t DeviceWatchSteps = 16;
struct HeartbeatChores {
    bool presenceLook;
    bool deviceWatch;
};
// The chores of the step PaceHeartbeat has just counted.
HeartbeatChores ChoresOfStep(const HeartbeatPace& pace);
