// The CPU usage samplers against the real platform calls, under Wine's default (NT) version.
#include <gtest/gtest.h>
#include <windows.h>
#include "cpu/cpu.h"
#include "cpu/samplers_win32.h"
#include "sim/sim.h"
#include "app/state.h"

namespace {

TEST(Cpu, DetectsTheNtFamily) {
    OsFamily = OsFamilyOther;
    DetectOsFamily();
    EXPECT_EQ(OsFamily, OsFamilyNt);
}

TEST(Cpu, MonitorFindsNtdll) {
    OsFamily = OsFamilyNt;
    CpuMonitorUnavailable = 0;
    CheckCpuMonitor();   // a message box here would hang the test: it must not appear
    EXPECT_EQ(CpuMonitorUnavailable, 0);
    NativeCpuSampler sampler;
    EXPECT_TRUE(sampler.Usable());
}

TEST(Cpu, SecondSampleIsAPercentageOfTheInterval) {
    OsFamily = OsFamilyNt;
    IdleTimeBefore = 0;
    CpuUsage = -1;
    SampleCpuUsage();
    EXPECT_EQ(CpuUsage, 0);           // the first has nothing to compare with
    EXPECT_NE(IdleTimeBefore, 0);
    const int64_t firstClock = ClockBefore;

    // Keep one processor busy for about a second.
    const DWORD start = GetTickCount();
    volatile uint32_t spin = 0;
    while (GetTickCount() - start < 1000) spin = spin + 1;

    SampleCpuUsage();
    RecordProperty("usage", CpuUsage);
    EXPECT_GE(CpuUsage, 0);
    EXPECT_LE(CpuUsage, 100);
    // The clock moved on by about the second just spent (100-nanosecond units).
    EXPECT_GT(ClockBefore - firstClock, 5000000);
}

TEST(Cpu, RegistrySamplerAnswersAPercentageOrNothing) {
    // Only the 95/98/Me family publishes the statistic; elsewhere the read answers 0.
    OsFamily = OsFamily9x;
    CpuUsage = -1;
    SampleCpuUsage();
    EXPECT_GE(CpuUsage, 0);
    EXPECT_LE(CpuUsage, 100);
    OsFamily = OsFamilyNt;
}

}  // namespace
