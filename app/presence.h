// Whether anyone is at the machine to see and hear the sozu: here, busy (watching or showing
// something full screen) or away (locked, display off, asleep, screen saver). One decision from
// the signals the platform gathers; everything else reads the state and never asks the system.
#pragma once
#include <cstdint>
#include "app/state.h"
#include "display/monitors.h"

enum class Presence : uint8_t { Here = 0, Busy = 1, Away = 2 };

// What the shell says of the user (SHQueryUserNotificationState, Vista on), by its numbers.
enum : int32_t {
    ShellStateUnknown = 0,           // no such call, or it failed
    ShellStateNotPresent = 1,        // the screen saver runs, or the machine is locked
    ShellStateBusy = 2,              // a full-screen application
    ShellStateFullScreenD3d = 3,
    ShellStatePresentation = 4,
    ShellStateAcceptsNotifications = 5,
    ShellStateQuietTime = 6,         // a new account's first hour: not "do not disturb"
    ShellStateApp = 7,               // a Windows Store app in front
};

struct PresenceSignals {
    bool locked;                 // the session is locked
    bool disconnected;           // the console or remote session is disconnected
    bool displayOff;             // dimmed counts as on
    bool suspending;             // from the suspend notice until the resume
    int32_t shellState;          // ShellState..., ShellStateUnknown where the shell cannot say
    bool foregroundFullScreen;   // the program's own check, ForegroundFullScreen
    bool busyRuleOn;             // the settings file's switch; away has none
};

Presence DecidePresence(const PresenceSignals& signals);

// Away through the messages alone (lock, disconnect, display, suspend): their ends come as
// messages too, so nothing has to be looked at until then.
bool AwayByMessages(const PresenceSignals& signals);

// The window in front, as the program's own full-screen check sees it.
struct ForegroundFacts {
    bool exists;
    bool ours;         // the sozu, its menu or its dialog: the user is working with the program
    bool shell;        // the shell's desktop or taskbar
    bool captioned;    // has a title bar: a maximized captioned window is never full screen
    ScreenRect rect;
};

// A window of the shell's own that may be in front without anything full screen: the desktop
// (Progman, WorkerW), the taskbar (Shell_TrayWnd), and the system's desktop window itself
// (#32769), which a click on an empty desktop brings to the front where no shell draws one (as
// in Wine's desktop); it is a captionless window of the whole screen.
bool ShellWindowClass(const char* className);

// Whether the foreground window is a full-screen film, slide show or game: no caption, not the
// shell's, and covering the whole rectangle of the monitor that holds it (not its work area).
// With no monitors known (Windows 95, NT 4) the primary screen is that monitor. While the
// program's own window is in front (its tray menu opened over a film), the verdict stays as it
// was: the menu must not bring the sozu back.
bool ForegroundFullScreen(const ForegroundFacts& front, const MonitorArea* monitors,
                          int32_t count, const ScreenRect& primary, bool before);

// 1 while the sozu is hidden because the user is busy: every path that shows the window again
// leaves it hidden, and the end of busy shows it.
extern int32_t SozuHiddenForBusy;

#ifdef _WIN32
#include <windows.h>
// SWP_SHOWWINDOW, or nothing while the sozu is hidden for busy.
inline UINT ShowUnlessHidden() { return SozuHiddenForBusy ? 0 : SWP_SHOWWINDOW; }

// Registers for the session and display notices and starts the once-a-second look (timer 4).
void StartPresence(HWND window);
// Undoes every registration (WM_DESTROY).
void StopPresence(HWND window);
// WM_WTSSESSION_CHANGE and WM_POWERBROADCAST.
LRESULT OnSessionChange(HWND window, WPARAM what);
LRESULT OnPowerBroadcast(HWND window, WPARAM what, LPARAM setting);
Presence CurrentPresence();
#endif
