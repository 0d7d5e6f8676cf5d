// The popup menu, its commands, and bringing menu marks, settings file and sound in line
// with AppSettings.
#pragma once
#include "base/state.h"

void ApplySettings(WindowHandle window);
// The volume chosen while nobody was there, carried out now (ApplyWaitingVolumeOver).
bool ApplyWaitingVolume(WindowHandle window);

#ifdef _WIN32
#include <windows.h>
void ShowPopupMenu(HWND window);
// The WM_COMMAND case of the main window.
LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam);
#endif
