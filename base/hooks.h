// The few platform services the portable core asks for. The executable points them at the
// Win32 implementations at start-up; host tests point them at recorders.
#pragma once
#include <cstdint>
#include "base/state.h"

// The sounds the core asks for by playSoundEffect; the sound module plays them.
enum SoundEffect : int { SoundStrike = 0, SoundEcho = 1, SoundSpill = 2, SoundWaterA = 3,
                         SoundWaterB = 4, SoundEffectCount = 5 };

struct PlatformHooks {
    void (*sampleCpuUsage)();                  // leaves the new percentage in CpuUsage
    void (*trayModify)();                      // sends what changed of TrayIconId and TrayTip
    int (*playSoundEffect)(int index);         // a SoundEffect
    void (*applyFrameRegion)(WindowHandle window);
};

// Every member starts as a harmless no-op, never null.
extern PlatformHooks Platform;

// The tray icon as the core sees it: which icon resource the record shows and its tooltip.
constexpr int TrayTipBytes = 64;
extern int32_t TrayIconId;            // IDI_APP (127) at rest, IDI_TRAY_TIPPING (125) alternate
extern char TrayTip[TrayTipBytes];
