#include "cpu/samplers_win32.h"
#include <cstddef>
#include "cpu/cpu.h"
#include "sim/sim.h"
#include "base/state.h"
#include "base/text_win32.h"

namespace {

constexpr char StatDataPath[] = "PerfStats\\StatData";
constexpr char StartStatPath[] = "PerfStats\\StartStat";
constexpr char StopStatPath[] = "PerfStats\\StopStat";
constexpr char UsageValueName[] = "KERNEL\\CPUUsage";

constexpr char SystemModuleName[] = "ntdll";
constexpr char QueryFunctionName[] = "NtQuerySystemInformation";

// Information classes of the native call, in the first form of each record, which every NT
// version accepts. Only the basic record holds pointer-sized fields (the user address range
// and the active processor mask), so it alone differs between 32-bit and 64-bit Windows.
constexpr ULONG BasicInformationClass = 0;
struct BasicInformation {
    ULONG pageAndTimerFields[7];
    ULONG_PTR lowestUserAddress;
    ULONG_PTR highestUserAddress;
    ULONG_PTR activeProcessors;
    CCHAR processorCount;
};
static_assert(sizeof(BasicInformation) == (sizeof(void*) == 4 ? 44 : 64),
              "the basic record is 44 bytes on 32-bit Windows and 64 on 64-bit");
static_assert(offsetof(BasicInformation, processorCount) == (sizeof(void*) == 4 ? 40 : 56),
              "the processor count follows the three pointer-sized fields");

constexpr ULONG PerformanceInformationClass = 2;
struct PerformanceInformation {
    LARGE_INTEGER idleTime;   // summed over all processors
    unsigned char counters[304];
};
static_assert(sizeof(PerformanceInformation) == 312, "the first performance record form");

constexpr ULONG TimeOfDayInformationClass = 3;
struct TimeOfDayInformation {
    LARGE_INTEGER bootTime;
    LARGE_INTEGER currentTime;
    LARGE_INTEGER timeZoneBias;
    ULONG timeZoneId;
    ULONG reserved;
};
static_assert(sizeof(TimeOfDayInformation) == 32, "the first time-of-day record form");
static_assert(offsetof(TimeOfDayInformation, currentTime) == 8, "the clock is the second field");

constexpr char MonitorFailedText[] =
    "NTDLL.DLLのオープンに失敗しました。\r\nCPUモニターは正しく機能出来ません。";
constexpr char Caption[] = "Tsutsuri";

constexpr int PlatformWin9x = VER_PLATFORM_WIN32_WINDOWS;   // 1
constexpr int PlatformNt = VER_PLATFORM_WIN32_NT;           // 2

}  // namespace

// Defined before the static registry sampler below, which uses it while the program starts:
// within one file, statics are made in the order they are written.
CpuPlatformCalls CpuPlatform = {RegOpenKeyA, RegQueryValueExA, RegCloseKey, GetModuleHandleA,
                                ShowMessageBox};

namespace {

// Reads one 4-byte value; a missing value or a failed read leaves 0.
uint32_t ReadUsageValue(HKEY key) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (CpuPlatform.queryValue(key, UsageValueName, nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS) {
        return 0;
    }
    return value;
}

// Reading the StartStat or StopStat value is what starts or stops the kernel's statistic;
// the value itself means nothing.
void TouchStatKey(const char* path) {
    HKEY key = nullptr;
    if (CpuPlatform.openKey(HKEY_DYN_DATA, path, &key) != ERROR_SUCCESS) return;
    ReadUsageValue(key);
    CpuPlatform.closeKey(key);
}

// Made before the entry point runs and ended after the message loop, so the 95/98/Me kernel
// counts the usage for the whole run. On NT the root does not exist and it holds nothing.
RegistryCpuSampler StaticRegistrySampler;

}  // namespace

RegistryCpuSampler::RegistryCpuSampler() : StatDataKey(nullptr) {
    HKEY key = nullptr;
    if (CpuPlatform.openKey(HKEY_DYN_DATA, StatDataPath, &key) != ERROR_SUCCESS) return;
    StatDataKey = key;
    TouchStatKey(StartStatPath);
}

RegistryCpuSampler::~RegistryCpuSampler() {
    if (!StatDataKey) return;
    TouchStatKey(StopStatPath);
    CpuPlatform.closeKey(StatDataKey);
    StatDataKey = nullptr;
}

uint32_t RegistryCpuSampler::Read() const {
    return StatDataKey ? ReadUsageValue(StatDataKey) : 0;
}

NativeCpuSampler::NativeCpuSampler()
    : QueryFunction(nullptr), SystemModule(nullptr), ProcessorCount(0) {
    // Every NT process has ntdll mapped already; the sampler borrows it and never loads it.
    SystemModule = CpuPlatform.moduleHandle(SystemModuleName);
    if (!SystemModule) return;
    // Through void*: GCC warns on a direct cast between unrelated function pointer types.
    QueryFunction = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(SystemModule, QueryFunctionName)));
    if (!QueryFunction) return;
    BasicInformation basic = {};
    if (QueryFunction(BasicInformationClass, &basic, sizeof basic, nullptr) == 0) {
        ProcessorCount = static_cast<unsigned char>(basic.processorCount);
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
    TimeOfDayInformation timeOfDay = {};
    if (QueryFunction(TimeOfDayInformationClass, &timeOfDay, sizeof timeOfDay, nullptr) != 0) {
        return 0;
    }
    PerformanceInformation performance = {};
    if (QueryFunction(PerformanceInformationClass, &performance, sizeof performance, nullptr) !=
        0) {
        return 0;
    }
    return TakeUsageSample(performance.idleTime.QuadPart, timeOfDay.currentTime.QuadPart,
                           ProcessorCount, CpuUsage);
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
        CpuPlatform.messageBox(nullptr, MonitorFailedText, Caption, MB_OK);
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
