// The CPU usage samplers against the real platform calls, under Wine's default (NT) version.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include "app/hooks.h"
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

// Wine answers as Windows 98 to a program named under AppDefaults with Version "win98". The
// setting is read when a process starts, so this program runs a copy of itself to see it.
constexpr char ChildMarker[] = "TSUTSURI_CPU_TEST_AS_WIN98";

std::string AppDefaultsKey() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    const char* name = std::strrchr(path, '\\');
    return std::string("Software\\Wine\\AppDefaults\\") + (name ? name + 1 : path);
}

TEST(Cpu, Win98IsTheOtherFamilyAndReadsTheRegistry) {
    if (GetEnvironmentVariableA(ChildMarker, nullptr, 0) != 0) {
        DetectOsFamily();
        EXPECT_EQ(OsFamily, OsFamily9x);
        CheckCpuMonitor();   // not NT: nothing checked, nothing shown
        EXPECT_EQ(CpuMonitorUnavailable, 0);
        CpuUsage = -1;
        SampleCpuUsage();    // Wine keeps no kernel statistic: the read answers 0
        EXPECT_GE(CpuUsage, 0);
        EXPECT_LE(CpuUsage, 100);
        return;
    }
    const std::string key = AppDefaultsKey();
    HKEY appKey = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, key.c_str(), &appKey), ERROR_SUCCESS);
    const char version[] = "win98";
    RegSetValueExA(appKey, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   sizeof version);
    RegCloseKey(appKey);

    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string command = std::string("\"") + path +
                          "\" --gtest_filter=Cpu.Win98IsTheOtherFamilyAndReadsTheRegistry";
    SetEnvironmentVariableA(ChildMarker, "1");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    const BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &child);
    SetEnvironmentVariableA(ChildMarker, nullptr);
    DWORD exitCode = 1;
    if (started) {
        WaitForSingleObject(child.hProcess, 60000);
        GetExitCodeProcess(child.hProcess, &exitCode);
        CloseHandle(child.hProcess);
        CloseHandle(child.hThread);
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    ASSERT_TRUE(started);
    EXPECT_EQ(exitCode, 0u);
}

TEST(Cpu, TooltipFormattingGivesCodePage932Bytes) {
    // The portable tooltip code through this C runtime's formatter, not the host's.
    const PlatformHooks saved = Platform;
    Platform.sampleCpuUsage = [] { CpuUsage = 100; };
    Platform.trayModify = [] {};
    CpuMonitorUnavailable = 0;
    TooltipUsage = 0;
    SampleTick = 6;
    FillStep();
    Platform = saved;
    const unsigned char expected[] = {'T', 's', 'u', 't', 's', 'u', 'r', 'i', ' ', '[', 'C',
                                      'P', 'U', 0x8E, 0x67, 0x97, 0x70, 0x97, 0xA6, 0x81, 0x46,
                                      '1', '0', '0', 0x81, 0x93, ']', 0};
    EXPECT_EQ(std::strlen(TrayTip), 27u);
    EXPECT_EQ(std::memcmp(TrayTip, expected, sizeof expected), 0);
}

}  // namespace
