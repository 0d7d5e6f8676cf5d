// Whether anyone is at the machine to see and hear the sozu: here, busy (watching or showing
// something full screen) or away (locked, display off, asleep, screen saver). One decision from
// the signals the platform gathers; everything else reads the state and never asks the system.
#pragma once
#include <cstdint>
#include "base/state.h"
#include "display/monitors.h"
#include "display/placement.h"

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
    bool foregroundFullScreen;   // the program's own check (ForegroundLook)
    bool busyRuleOn;             // the settings file's switch; away has none
    bool screenSaver;            // the system says its screen saver runs (98, 2000 on)
    bool foregroundCoversMonitor;   // the window in front covers its monitor, caption or not
};

// Away: locked, disconnected, the display off, suspending, or the screen saver (by its own
// flag or the shell's word), ahead of everything else. Busy, where the busy rule is on: the
// program's own full-screen check, Direct3D full screen or presentation mode on the shell's
// word alone, or the shell's "busy" and "app" where the window in front covers the whole of
// its monitor. Those two are reported on an empty desktop (a graphics vendor's overlay) and
// with the Start menu open, and would hide the sozu at home for good.
Presence DecidePresence(const PresenceSignals& signals);

// Away through the messages alone (lock, disconnect, display, suspend): their ends come as
// messages too, so nothing has to be looked at until then.
bool AwayByMessages(const PresenceSignals& signals);


// What the look makes of the window in front: full screen by the rule above, and whether it
// covers its monitor whatever its caption (where the shell has said something runs full
// screen, a caption does not matter). While the program's own window is in front (its tray
// menu opened over a film), both stay as they were: the menu must not bring the sozu back.
struct ForegroundLook {
    bool fullScreen;
    bool coversMonitor;
};
ForegroundLook LookAtForeground(const ForegroundFacts& front, const MonitorArea* monitors,
                                int32_t count, const ScreenRect& primary,
                                const ForegroundLook& before);

// A failed registration for the session notices (early at logon, before the terminal services
// run, it fails with RPC_S_INVALID_BINDING) is tried again on later looks, one a look, this many
// times: two minutes of looks.
constexpr int32_t SessionRegistrationRetries = 120;

#ifdef _WIN32
#include <windows.h>
#include "base/system_win32.h"
// SWP_SHOWWINDOW, or nothing while the sozu is hidden for busy.
inline UINT ShowUnlessHidden() { return SozuHiddenForBusy ? 0 : SWP_SHOWWINDOW; }

// Registers for the session and display notices, takes the first look (before anything is
// shown or heard: busy hides the window, away keeps the device closed); later looks ride on
// the heartbeat, or on timer 4 while it is stopped.
void StartPresence(HWND window);
// The look of this heartbeat's step, about once a second while the heartbeat runs.
void LookOnHeartbeat(HWND window);
// Shows the window at start-up as the first look allows, and starts the heartbeat (with the
// device watch and the looks that ride on it) unless nobody is there: here it shows as it
// always has; away it shows without taking the foreground from whatever is in front; busy it stays hidden until busy ends.
void ShowAsPresenceAllows(HWND window);
// Undoes every registration (WM_DESTROY).
void StopPresence(HWND window);
// WM_WTSSESSION_CHANGE and WM_POWERBROADCAST.
LRESULT OnSessionChange(HWND window, WPARAM what);
LRESULT OnPowerBroadcast(HWND window, WPARAM what, LPARAM setting);
Presence CurrentPresence();

// The system calls presence looks up, in their slots: tests put stand-ins there.
extern SystemCallSlot RegisterSessionSlot;
extern SystemCallSlot UnregisterSessionSlot;
extern SystemCallSlot RegisterPowerSlot;
#endif
