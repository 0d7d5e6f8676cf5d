// The main window's procedure and what starts and stops with it.
#pragma once
#include <windows.h>

// The wake-ups that run only while someone is at the machine: the heartbeat, on which the
// presence look and the watch over the sound output ride, started once the start-up has looked
// at presence and again on coming back. Stopping it stops the water sound's timer 3 and a
// click's pending tip as well; whoever starts again starts timer 3 where the loops play.
void StartHeartbeat(HWND window);
void StopHeartbeat(HWND window);
// Each heartbeat: the heartbeat's timer kept on its steady schedule (app/heartbeat.h), and
// the slow chores of this step: the device watch's look, then presence's.
void KeepHeartbeat(HWND window);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
