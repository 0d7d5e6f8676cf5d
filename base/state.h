// Process-wide state that several subsystems share. Portable: no platform types.
#pragma once
#include <cstdint>

// Stands for a window handle in portable code, so no platform type leaks into the core.
using WindowHandle = void*;

struct ScreenRect {
    int32_t left, top, right, bottom;
};

// 0 idle, 1 after a tip press, 2 while the popup menu is open.
extern uint8_t InteractionState;
// 1 from the press that starts a drag until the cursor next passes over the lower part.
extern int32_t Dragging;
extern int32_t AboutDialogOpen;
extern WindowHandle AboutDialogWindow;

// 0 no sound, 1 the simple player, 2 the DirectSound engine.
enum : int32_t { SoundModeOff = 0, SoundModeSimple = 1, SoundModeEngine = 2 };
extern int32_t SoundMode;

// 0 NT family, 1 Windows 95/98/Me, 2 anything else.
enum : uint8_t { OsFamilyNt = 0, OsFamily9x = 1, OsFamilyOther = 2 };
extern uint8_t OsFamily;
extern int32_t CpuMonitorUnavailable;
