// The notification-area icon: its record, added at start-up, its changed parts sent whenever
// the core changes TrayIconId or TrayTip, the whole of it again to a new taskbar, removed at
// shutdown.
#pragma once
#include "base/hooks.h"

constexpr unsigned TrayIconIdentifier = 200;
constexpr unsigned TrayCallbackMessage = 33769;

// The start-up tooltip: the product name, or the name with "unknown" usage when the CPU
// monitor could not be opened.
const char* TrayStartupTip(bool monitorUnavailable);

#ifdef _WIN32
#include <windows.h>
// The registered message "TaskbarCreated" (0 until registered, or when registration failed).
extern UINT TaskbarCreatedMessage;
constexpr char TaskbarCreatedMessageName[] = "TaskbarCreated";
void AddTrayIcon(HWND window);
void TrayModify();
// Adds the icon again, as it stands now, to a taskbar that Explorer has just (re)started: the
// new one knows no icons. An icon whose first add failed, because the program started before
// the taskbar at logon, comes back the same way.
void RestoreTrayIcon();
void RemoveTrayIcon();
// Sends the record again with the current pictures (reloaded for another display scale); does
// nothing before the icon was first added.
void RefreshTrayPicture();
#endif
