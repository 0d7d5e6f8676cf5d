// Perching the sozu at the left edge of the window in front.
#pragma once
#include "app/state.h"

#ifdef _WIN32
#include <windows.h>
// Once per heartbeat tick, before the tipping step; nothing in the free placements.
void PerchBesideForeground(HWND window);

// Reads the screen's height, finds the taskbar and the edge it lies along: at start-up, and
// again whenever they may have changed (Explorer restarted, a new resolution, a moved taskbar).
void MeasureScreenAndTaskbar();
#endif
