#include "cpu/samplers_win32.h"
#include <cstring>
#include "cpu/cpu.h"
#include "sim/sim.h"
#include "app/state.h"

namespace {

constexpr char StatDataPath[] = "PerfStats\\StatData";
constexpr char StartStatPath[] = "PerfStats\\StartStat";
constexpr char StopStatPath[] = "PerfStats\\StopStat";
constexpr char UsageValueName[] = "KERNEL\\CPUUsage";

constexpr char SystemModuleName[] = "ntdll";
constexpr char QueryFunctionName[] = "NtQuerySystemInformation";

// Information classes of the native call, with the 32-bit buffer lengths and the offsets of
// the one field each is asked for.
constexpr ULONG BasicInformationClass = 0;
constexpr ULONG BasicInformationBytes = 44;
constexpr size_t ProcessorCountOffset = 40;
constexpr ULONG PerformanceInformationClass = 2;
constexpr ULONG PerformanceInformationBytes = 312;
constexpr size_t IdleTimeOffset = 0;
constexpr ULONG TimeOfDayInformationClass = 3;
constexpr ULONG TimeOfDayInformationBytes = 32;
constexpr size_t CurrentTimeOffset = 8;

constexpr char MonitorFailedText[] =
    "NTDLL.DLLのオープンに失敗しました。\r\nCPUモニターは正しく機能出来ません。";
constexpr char Caption[] = "Tsutsuri";

constexpr int PlatformWin9x = VER_PLATFORM_WIN32_WINDOWS;   // 1
constexpr int PlatformNt = VER_PLATFORM_WIN32_NT;           // 2

// Reads one 4-byte value; a missing value or a failed read leaves 0.
uint32_t ReadUsageValue(HKEY key) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key, UsageValueName, nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS) {
        return 0;
    }
    return value;
}

// Reading the StartStat or StopStat value is what starts or stops the kernel's statistic;
// the value itself means nothing.
void TouchStatKey(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_DYN_DATA, path, &key) != ERROR_SUCCESS) return;
    ReadUsageValue(key);
    RegCloseKey(key);
}

int64_t ReadInt64(const unsigned char* buffer, size_t offset) {
    int64_t value = 0;
    std::memcpy(&value, buffer + offset, sizeof value);
    return value;
}

// Made before the entry point runs and ended after the message loop, so the 95/98/Me kernel
// counts the usage for the whole run. On NT the root does not exist and it holds nothing.
RegistryCpuSampler StaticRegistrySampler;

}  // namespace

RegistryCpuSampler::RegistryCpuSampler() : StatDataKey(nullptr) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_DYN_DATA, StatDataPath, &key) != ERROR_SUCCESS) return;
    StatDataKey = key;
    TouchStatKey(StartStatPath);
}

RegistryCpuSampler::~RegistryCpuSampler() {
    if (!StatDataKey) return;
    TouchStatKey(StopStatPath);
    RegCloseKey(StatDataKey);
    StatDataKey = nullptr;
}

uint32_t RegistryCpuSampler::Read() const {
    return StatDataKey ? ReadUsageValue(StatDataKey) : 0;
}

NativeCpuSampler::NativeCpuSampler()
    : QueryFunction(nullptr), SystemModule(nullptr), ProcessorCount(0) {
    // Every NT process has ntdll mapped already; the sampler borrows it and never loads it.
    SystemModule = GetModuleHandleA(SystemModuleName);
    if (!SystemModule) return;
    // Through void*: GCC warns on a direct cast between unrelated function pointer types.
    QueryFunction = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(SystemModule, QueryFunctionName)));
    if (!QueryFunction) return;
    alignas(8) unsigned char basic[BasicInformationBytes] = {};
    if (QueryFunction(BasicInformationClass, basic, sizeof basic, nullptr) == 0) {
        ProcessorCount = basic[ProcessorCountOffset];
    }
}

NativeCpuSampler::~NativeCpuSampler() {
    QueryFunction = nullptr;
    SystemModule = nullptr;
    ProcessorCount = 0;
}

bool NativeCpuSampler::Usable() const { return SystemModule && QueryFunction; }

int32_t NativeCpuSampler::Sample() {
    if (!Usable()) return 0;
    alignas(8) unsigned char timeOfDay[TimeOfDayInformationBytes] = {};
    if (QueryFunction(TimeOfDayInformationClass, timeOfDay, sizeof timeOfDay, nullptr) != 0) {
        return 0;
    }
    alignas(8) unsigned char performance[PerformanceInformationBytes] = {};
    if (QueryFunction(PerformanceInformationClass, performance, sizeof performance, nullptr) !=
        0) {
        return 0;
    }
    const int64_t idle = ReadInt64(performance, IdleTimeOffset);
    const int64_t now = ReadInt64(timeOfDay, CurrentTimeOffset);
    const int32_t usage =
        UsageFromCounters(idle, IdleTimeBefore, now, ClockBefore, ProcessorCount);
    IdleTimeBefore = idle;
    ClockBefore = now;
    return usage;
}

void DetectOsFamily() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    OsFamily = OsFamilyNt;   // also the answer when the version query fails
    if (!GetVersionExA(&version)) return;
    if (version.dwPlatformId == static_cast<DWORD>(PlatformWin9x)) {
        OsFamily = OsFamily9x;
    } else if (version.dwPlatformId != static_cast<DWORD>(PlatformNt)) {
        OsFamily = OsFamilyOther;
    }
}

void CheckCpuMonitor() {
    if (OsFamily != OsFamilyNt) return;
    NativeCpuSampler sampler;
    if (!sampler.Usable()) {
        MessageBoxA(nullptr, MonitorFailedText, Caption, MB_OK);
        CpuMonitorUnavailable = 1;
    }
}

void SampleCpuUsage() {
    if (OsFamily != OsFamilyNt) {
        CpuUsage = static_cast<int32_t>(StaticRegistrySampler.Read());
        return;
    }
    NativeCpuSampler sampler;
    CpuUsage = sampler.Sample();
}
