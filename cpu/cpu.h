// The machine's CPU usage as a whole percentage, on both families of Windows.
#pragma once
#include <cstdint>

void DetectOsFamily();
void CheckCpuMonitor();
// Leaves the new percentage in CpuUsage (sim/sim.h).
void SampleCpuUsage();

// NT family: the idle time of all processors and the clock at the previous good sample, in
// 100-nanosecond units; IdleTimeBefore is 0 until the first one.
extern int64_t IdleTimeBefore;
extern int64_t ClockBefore;

// The usage over the interval between two samples, from the idle time summed over all
// processors and the clock, both in the same unit. 0 for the first sample (idleBefore 0), for
// an interval of no length and for an unknown processor count; held to 0..100 otherwise.
int32_t UsageFromCounters(int64_t idleNow, int64_t idleBefore, int64_t clockNow,
                          int64_t clockBefore, int32_t processorCount);

// One good NT sample: the usage since the previous one (IdleTimeBefore and ClockBefore),
// whose counters then become the baseline for the next. When no time has passed since that
// baseline, or the clock went back, previousUsage (what the last sample left in CpuUsage) is
// the answer; the baseline then stays, or starts afresh from the new time.
int32_t TakeUsageSample(int64_t idleNow, int64_t clockNow, int32_t processorCount,
                        int32_t previousUsage);
