// The CPU usage samplers against the real platform calls, under Wine's default (NT) version;
// the Windows 95/98/Me statistic is a value the test writes into Wine's dynamic-data root.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>
#include "base/hooks.h"
#include "cpu/cpu.h"
#include "cpu/samplers_win32.h"
#include "sim/sim.h"
#include "base/state.h"

namespace {

constexpr char StatData[] = "PerfStats\\StatData";
constexpr char StartStat[] = "PerfStats\\StartStat";
constexpr char StopStat[] = "PerfStats\\StopStat";
constexpr char UsageValue[] = "KERNEL\\CPUUsage";

// Wine keeps no kernel statistic, but its dynamic-data root opens and takes values: the test
// plays the 95/98/Me kernel and publishes a usage of its own choosing. Taken away again at the
// end, so that no other program of the session reads it.
class PublishedUsage {
public:
    explicit PublishedUsage(DWORD usage) {
        for (const char* path : {StartStat, StopStat}) {
            HKEY key = nullptr;
            if (RegCreateKeyA(HKEY_DYN_DATA, path, &key) == ERROR_SUCCESS) {
                Set(key, 0);
                RegCloseKey(key);
            }
        }
        Publish(usage);
    }
    ~PublishedUsage() {
        HKEY key = nullptr;
        if (RegOpenKeyA(HKEY_DYN_DATA, StatData, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, UsageValue);
            RegCloseKey(key);
        }
        for (const char* path : {StartStat, StopStat}) RegDeleteKeyA(HKEY_DYN_DATA, path);
    }
    bool Publish(DWORD usage) {
        HKEY key = nullptr;
        if (RegOpenKeyA(HKEY_DYN_DATA, StatData, &key) != ERROR_SUCCESS) return false;
        const bool set = Set(key, usage);
        RegCloseKey(key);
        return set;
    }

private:
    static bool Set(HKEY key, DWORD value) {
        return RegSetValueExA(key, UsageValue, 0, REG_DWORD, reinterpret_cast<BYTE*>(&value),
                              sizeof value) == ERROR_SUCCESS;
    }
};

// The registry calls of the samplers, passed on to the real registry and written down by the
// path of the key each one concerns.
std::vector<std::string> RegistryCalls;
std::map<HKEY, std::string> OpenPaths;
LONG WINAPI RecordOpen(HKEY root, LPCSTR path, PHKEY key) {
    const LONG result = RegOpenKeyA(root, path, key);
    RegistryCalls.push_back(std::string("open ") + path);
    if (result == ERROR_SUCCESS) OpenPaths[*key] = path;
    return result;
}
LONG WINAPI RecordQuery(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                        LPDWORD size) {
    RegistryCalls.push_back("read " + OpenPaths[key] + " " + name);
    return RegQueryValueExA(key, name, reserved, type, data, size);
}
LONG WINAPI RecordClose(HKEY key) {
    RegistryCalls.push_back("close " + OpenPaths[key]);
    OpenPaths.erase(key);
    return RegCloseKey(key);
}

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

std::vector<std::string> Boxes;
int WINAPI RecordBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    Boxes.push_back(std::string(owner ? "owned " : "") + caption + "|" + text + "|" +
                    std::to_string(type));
    return IDOK;
}

HMODULE WINAPI NoModule(LPCSTR) { return nullptr; }

TEST(Cpu, MonitorWithoutNtdllSaysSoOnceAndStaysUnavailable) {
    const CpuPlatformCalls saved = CpuPlatform;
    CpuPlatform.moduleHandle = NoModule;
    CpuPlatform.messageBox = RecordBox;
    Boxes.clear();
    OsFamily = OsFamilyNt;
    CpuMonitorUnavailable = 0;
    CheckCpuMonitor();
    EXPECT_EQ(CpuMonitorUnavailable, 1);
    // No owner, an OK button only (MB_OK is 0).
    const std::vector<std::string> expected = {
        "Tsutsuri|NTDLL.DLLのオープンに失敗しました。\r\nCPUモニターは正しく機能出来ません。|0"};
    EXPECT_EQ(Boxes, expected);
    // Not the NT family: nothing is checked and nothing is shown.
    CpuMonitorUnavailable = 0;
    for (uint8_t family : {OsFamily9x, OsFamilyOther}) {
        OsFamily = family;
        CheckCpuMonitor();
    }
    EXPECT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(CpuMonitorUnavailable, 0);
    CpuPlatform = saved;
    OsFamily = OsFamilyNt;
}

// The machine's busy and idle time so far, as the Linux kernel under Wine counts it (all
// processors, in its clock ticks); false when it cannot be read.
bool KernelTicks(uint64_t& busy, uint64_t& idle) {
    std::FILE* f = std::fopen("Z:\\proc\\stat", "rb");
    if (f == nullptr) return false;
    unsigned long long user = 0, nice = 0, system = 0, idleTicks = 0, wait = 0, irq = 0,
                       softirq = 0, steal = 0;
    const int read = std::fscanf(f, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &user, &nice,
                                 &system, &idleTicks, &wait, &irq, &softirq, &steal);
    std::fclose(f);
    busy = user + nice + system + irq + softirq + steal;
    idle = idleTicks + wait;
    return read == 8;
}

// One interval between two samples: what the sampler says, and what the kernel counted.
struct Interval {
    int32_t usage;
    int32_t kernel;
};

template <typename Spend>
Interval Measure(Spend spend) {
    uint64_t busy0 = 0, idle0 = 0, busy1 = 0, idle1 = 0;
    SampleCpuUsage();
    KernelTicks(busy0, idle0);
    spend();
    SampleCpuUsage();
    KernelTicks(busy1, idle1);
    const uint64_t all = busy1 - busy0 + idle1 - idle0;
    return {CpuUsage, all ? static_cast<int32_t>((busy1 - busy0) * 100 / all) : 0};
}

TEST(Cpu, NtSamplerRisesWithABusyProcessorAsTheKernelCounts) {
    uint64_t busy = 0, idle = 0;
    ASSERT_TRUE(KernelTicks(busy, idle));
    OsFamily = OsFamilyNt;
    IdleTimeBefore = 0;
    CpuUsage = -1;
    SampleCpuUsage();
    EXPECT_EQ(CpuUsage, 0);   // the first has nothing to compare with
    EXPECT_NE(IdleTimeBefore, 0);

    constexpr int32_t Tolerance = 20;   // the sampler against the kernel, in percentage points
    // Other programs may load the machine too, and their load may come and go between the
    // idle second and the busy one: the sampler's rise is held against the kernel's over the
    // same two seconds, never against a fixed share. A rise beyond the tolerance is what a
    // sampler that does not rise cannot match; such a pair is looked for three times at most.
    bool room = false;
    for (int attempt = 0; attempt < 3 && !room; ++attempt) {
        const Interval still = Measure([] { Sleep(1000); });
        const Interval loaded = Measure([] {
            const DWORD start = GetTickCount();
            volatile uint32_t spin = 0;
            while (GetTickCount() - start < 1000) spin = spin + 1;
        });
        RecordProperty("idle" + std::to_string(attempt),
                       std::to_string(still.usage) + " kernel " + std::to_string(still.kernel));
        RecordProperty("busy" + std::to_string(attempt),
                       std::to_string(loaded.usage) + " kernel " + std::to_string(loaded.kernel));
        EXPECT_NEAR(still.usage, still.kernel, Tolerance) << "idle second";
        EXPECT_NEAR(loaded.usage, loaded.kernel, Tolerance) << "busy second";
        const int32_t kernelRise = loaded.kernel - still.kernel;
        EXPECT_NEAR(loaded.usage - still.usage, kernelRise, Tolerance) << "the rise";
        room = kernelRise > Tolerance;
    }
    if (!room) RecordProperty("note", "the machine was about as busy without the loop as with it");
}

LONG WINAPI NoKey(HKEY, LPCSTR, PHKEY) { return ERROR_FILE_NOT_FOUND; }

TEST(Cpu, RegistrySamplerReadsTheStatisticBetweenItsStartAndStopReads) {
    PublishedUsage published(37);
    const CpuPlatformCalls saved = CpuPlatform;
    CpuPlatform.openKey = RecordOpen;
    CpuPlatform.queryValue = RecordQuery;
    CpuPlatform.closeKey = RecordClose;
    RegistryCalls.clear();
    uint32_t first = 0, second = 0;
    {
        RegistryCpuSampler sampler;
        first = sampler.Read();
        ASSERT_TRUE(published.Publish(81));
        second = sampler.Read();
    }
    CpuPlatform = saved;
    EXPECT_EQ(first, 37u);
    EXPECT_EQ(second, 81u);   // each read is the kernel's figure of the moment
    const std::vector<std::string> expected = {
        "open PerfStats\\StatData",
        "open PerfStats\\StartStat", "read PerfStats\\StartStat KERNEL\\CPUUsage",
        "close PerfStats\\StartStat",
        "read PerfStats\\StatData KERNEL\\CPUUsage", "read PerfStats\\StatData KERNEL\\CPUUsage",
        "open PerfStats\\StopStat", "read PerfStats\\StopStat KERNEL\\CPUUsage",
        "close PerfStats\\StopStat",
        "close PerfStats\\StatData",
    };
    EXPECT_EQ(RegistryCalls, expected);

    // Without the root's key the sampler holds nothing, reads 0 and stops nothing.
    CpuPlatform.openKey = NoKey;
    {
        RegistryCpuSampler sampler;
        EXPECT_EQ(sampler.Read(), 0u);
    }
    CpuPlatform = saved;
}

// Wine answers as Windows 98 to a program named under AppDefaults with Version "win98". The
// setting is read when a process starts, so this program runs a copy of itself to see it.
constexpr char ChildMarker[] = "TSUTSURI_CPU_TEST_AS_WIN98";
constexpr DWORD Win98Usage = 63;

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
        SampleCpuUsage();    // the statistic the parent published, read by the static sampler
        EXPECT_EQ(CpuUsage, static_cast<int32_t>(Win98Usage));
        return;
    }
    PublishedUsage published(Win98Usage);
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
