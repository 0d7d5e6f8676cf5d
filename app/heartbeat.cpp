#include "app/heartbeat.h"

namespace {

// A timer that fires this close to its step is left as it runs: setting it again by a
// millisecond would cost a call each step and change nothing a user sees.
constexpr uint32_t PaceSlackMs = 1;

}  // namespace

uint32_t StartHeartbeatPace(HeartbeatPace& pace, uint32_t nowMs) {
    pace.dueMs = nowMs + HeartbeatPeriodMs;
    pace.armedMs = HeartbeatPeriodMs;
    pace.steps = 0;
    return pace.armedMs;
}

uint32_t PaceHeartbeat(HeartbeatPace& pace, uint32_t nowMs) {
    ++pace.steps;
    // The clock wraps after 49.7 days; differences stay right in 32 bits.
    const int32_t late = static_cast<int32_t>(nowMs - pace.dueMs);
    if (late >= static_cast<int32_t>(HeartbeatPeriodMs)) {
        // The steps due in between are dropped; the one running now takes the latest place.
        pace.dueMs += static_cast<uint32_t>(late) / HeartbeatPeriodMs * HeartbeatPeriodMs;
    }
    pace.dueMs += HeartbeatPeriodMs;
    // Never 0 or below: the next step is always ahead of now after the drop above, unless the
    // timer fired early, and then its step has still run.
    const uint32_t left = pace.dueMs - nowMs;
    const uint32_t wanted = static_cast<int32_t>(left) > 0 ? left : 1;
    const uint32_t off = wanted > pace.armedMs ? wanted - pace.armedMs : pace.armedMs - wanted;
    if (off <= PaceSlackMs) return 0;
    pace.armedMs = wanted;
    return wanted;
}

HeartbeatChores ChoresOfStep(const HeartbeatPace& pace) {
    return {pace.steps % PresenceLookSteps == 0, pace.steps % DeviceWatchSteps == 0};
}
