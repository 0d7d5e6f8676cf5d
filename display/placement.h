// Perching the sozu at the left edge of the window in front.
#pragma once
#include "base/state.h"

// 1 while the sozu is hidden because the user is busy: every path that shows the window again
// leaves it hidden, and the end of busy shows it.
extern int32_t SozuHiddenForBusy;

#ifdef _WIN32
#include <windows.h>
// The window the sozu perches beside, and the screen and taskbar it measures.
extern HWND PerchTarget;
extern HWND TaskbarWindow;
extern uint8_t TaskbarEdge;
extern int32_t ScreenHeight;
// Once per heartbeat tick, before the tipping step; nothing in the free placements.
void PerchBesideForeground(HWND window);

// Reads the screen's height, finds the taskbar and the edge it lies along: at start-up, and
// again whenever they may have changed (Explorer restarted, a new resolution, a moved taskbar).
void MeasureScreenAndTaskbar();
#endif
