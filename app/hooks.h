// The few platform services the portable core asks for. The executable points them at the
// Win32 implementations at start-up; host tests point them at recorders.
#pragma once
#include <cstdint>
#include "app/state.h"

struct PlatformHooks {
    void (*sampleCpuUsage)();                  // leaves the new percentage in CpuUsage
    void (*trayModify)();                      // sends what changed of TrayIconId and TrayTip
    int (*playSoundEffect)(int index);         // 0 strike, 1 echo, 2 spill, 3 and 4 water
    void (*applyFrameRegion)(WindowHandle window);
};

// Every member starts as a harmless no-op, never null.
extern PlatformHooks Platform;

// The tray icon as the core sees it: which icon resource the record shows and its tooltip.
constexpr int TrayTipBytes = 64;
extern int32_t TrayIconId;            // IDI_APP (127) at rest, IDI_TRAY_TIPPING (125) alternate
extern char TrayTip[TrayTipBytes];
