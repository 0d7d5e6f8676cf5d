// The about dialog.
#pragma once
#ifdef _WIN32
#include <windows.h>
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The open dialog's once-a-second CPU line stops while nobody is there (paused), and shows the
// usage of the moment again at once when somebody is back. Nothing while no dialog is open.
void PauseAboutDialog(bool paused);
// Moves a window to the centre of the desktop; returns 0.
int CenterOnDesktop(HWND window);
#endif
