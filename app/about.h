// The about dialog.
#pragma once
#ifdef _WIN32
#include <windows.h>
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Moves a window to the centre of the desktop; returns 0.
int CenterOnDesktop(HWND window);
#endif
