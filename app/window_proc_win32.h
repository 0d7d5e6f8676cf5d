// The main window's procedure and what starts and stops with it.
#pragma once
#include <windows.h>

// The heartbeat and the watch over the sound output, the wake-ups that run only while someone
// is at the machine: started once the start-up has looked at presence and again on coming
// back. Stopping them stops the water sound's timer 3 and a click's pending tip as well;
// whoever starts again starts timer 3 as the water switch says.
void StartHeartbeat(HWND window);
void StopHeartbeat(HWND window);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
