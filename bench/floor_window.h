// The plain floor's window, shared by floor.exe and floor_sound.exe: a 48x48 popup tool
// window whose 128 ms timer invalidates it, and whose paint copies one 48x48 bitmap through a
// memory context, as the program's heartbeat does at the very least.
#pragma once
#include <windows.h>

// Registers CLASS_NAME and creates the window, hidden, at the place given on the command line
// (`LEFT TOP`, default: the middle of the screen). AT_DESTROY (may be null) runs as the window
// is destroyed, before the message loop ends. Null when the window cannot be made.
HWND CreateFloorWindow(HINSTANCE instance, const char* className, void (*atDestroy)(HWND));

// Shows the window, paints it at once, and runs the message loop until the window is closed.
// Answers the exit code.
int ShowFloorWindowAndRun(HWND window);
