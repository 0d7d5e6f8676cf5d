// How the shaped window answers the pointer, the keyboard, its timers and the tray icon.
#pragma once
#ifdef _WIN32
#include <windows.h>
LRESULT OnSetCursor(HWND window);
LRESULT OnNcHitTest(HWND window, WPARAM wParam, LPARAM lParam);
LRESULT OnNcButtonDown(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT OnNcRightButtonDown(HWND window);
LRESULT OnKeyDown(WPARAM key);
LRESULT OnHeartbeat(HWND window);
LRESULT OnExitMenuLoop();
LRESULT OnTrayCallback(HWND window, WPARAM id, LPARAM mouseMessage);
void CALLBACK ClickTipTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
#endif
