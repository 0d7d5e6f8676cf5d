#include "cpu/cpu.h"
#include <cstdint>

int64_t IdleTimeBefore = 0;
int64_t ClockBefore = 0;

namespace {

constexpr double FullPercent = 100.0;
constexpr double RoundingOffset = 0.5;

// The clock counts from 1601 and does not fit a double exactly, so the difference is taken
// in 64-bit integers; only counters far apart enough to overflow fall back to doubles.
double Difference(int64_t now, int64_t before) {
    int64_t delta = 0;
    if (__builtin_sub_overflow(now, before, &delta)) {
        return static_cast<double>(now) - static_cast<double>(before);
    }
    return static_cast<double>(delta);
}

}  // namespace

int32_t UsageFromCounters(int64_t idleNow, int64_t idleBefore, int64_t clockNow,
                          int64_t clockBefore, int32_t processorCount) {
    if (idleBefore == 0) return 0;   // the first sample has nothing to compare with
    const double interval = Difference(clockNow, clockBefore);
    // Two samples within one tick of the system clock, or a clock set back, leave no interval
    // to average over; an unknown processor count leaves no whole to divide by.
    if (interval <= 0.0 || processorCount <= 0) return 0;
    const double idleShare = Difference(idleNow, idleBefore) / interval;
    const double usage = FullPercent - idleShare * FullPercent / processorCount + RoundingOffset;
    // Wine reads the idle time and the clock in two calls, so on a busy machine the idle share
    // of an interval can come out above 101.5 per cent, which would read "-1%"; counters that
    // run backwards would read far above 100. A usage is a percentage: it is held to 0..100
    // (which also keeps the conversion below defined).
    if (usage <= 0.0) return 0;
    if (usage >= FullPercent) return static_cast<int32_t>(FullPercent);
    return static_cast<int32_t>(usage);   // truncated toward zero
}

int32_t TakeUsageSample(int64_t idleNow, int64_t clockNow, int32_t processorCount,
                        int32_t previousUsage) {
    const bool first = IdleTimeBefore == 0;
    // The about dialog's one-second sample and the heartbeat's can fall within one tick of the
    // system clock: no time has passed, so there is nothing to average over. The usage stands
    // as it was, and so does the baseline, for the next sample to measure from.
    if (!first && clockNow == ClockBefore) return previousUsage;
    // A clock set back leaves the interval unknown: the usage stands, and counting starts
    // afresh from the new time.
    const int32_t usage =
        !first && clockNow < ClockBefore
            ? previousUsage
            : UsageFromCounters(idleNow, IdleTimeBefore, clockNow, ClockBefore, processorCount);
    IdleTimeBefore = idleNow;
    ClockBefore = clockNow;
    return usage;
}
