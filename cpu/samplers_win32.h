// The two CPU usage samplers: the kernel's statistic in the dynamic-data registry root
// (Windows 95/98/Me) and the native system-information call of ntdll (NT family).
#pragma once
#include <windows.h>
#include <cstdint>

// The platform calls the samplers and the monitor check make, gathered so that a test can
// stand in for what this machine lacks: the 95/98/Me kernel's statistic, or an ntdll that
// cannot be found.
struct CpuPlatformCalls {
    LONG(WINAPI* openKey)(HKEY root, LPCSTR path, PHKEY key);
    LONG(WINAPI* queryValue)(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                             LPDWORD size);
    LONG(WINAPI* closeKey)(HKEY key);
    HMODULE(WINAPI* moduleHandle)(LPCSTR name);
    int(WINAPI* messageBox)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
};
extern CpuPlatformCalls CpuPlatform;

class RegistryCpuSampler {
public:
    RegistryCpuSampler();
    virtual ~RegistryCpuSampler();
    RegistryCpuSampler(const RegistryCpuSampler&) = delete;
    RegistryCpuSampler& operator=(const RegistryCpuSampler&) = delete;

    // The usage percentage the kernel publishes; 0 when no key is held or the read fails.
    uint32_t Read() const;

private:
    HKEY StatDataKey;
};

class NativeCpuSampler {
public:
    NativeCpuSampler();
    virtual ~NativeCpuSampler();
    NativeCpuSampler(const NativeCpuSampler&) = delete;
    NativeCpuSampler& operator=(const NativeCpuSampler&) = delete;

    bool Usable() const;
    // The usage since the previous good sample (0 for the first, or when a query fails).
    int32_t Sample();

    using QuerySystemInformation = LONG(WINAPI*)(ULONG infoClass, PVOID buffer, ULONG length,
                                                  PULONG returnLength);

private:
    QuerySystemInformation QueryFunction;
    HMODULE SystemModule;
    int32_t ProcessorCount;
};
