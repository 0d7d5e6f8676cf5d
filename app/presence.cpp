#include "app/presence.h"

#include <cstring>
#include <initializer_list>

namespace {

// Direct3D full screen and presentation mode are set by the program that runs so: believed.
bool ShellSaysBusyAlone(int32_t state) {
    return state == ShellStateFullScreenD3d || state == ShellStatePresentation;
}

// "Busy" and "app" are reported where nothing runs full screen: believed only where the
// program's own look agrees.
bool ShellSaysBusyIfSeen(int32_t state) {
    return state == ShellStateBusy || state == ShellStateApp;
}

bool Covers(const ScreenRect& outer, const ScreenRect& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

// A window that is not the shell's and covers the whole rectangle of the monitor that holds it.
bool CoversItsMonitor(const ForegroundFacts& window, const MonitorArea* monitors, int32_t count,
                      const ScreenRect& primary) {
    if (!window.exists || window.shell) return false;
    const int32_t held = NearestMonitor(window.rect, monitors, count);
    return Covers(window.rect, held < 0 ? primary : monitors[held].bounds);
}

}  // namespace

bool AwayByMessages(const PresenceSignals& s) {
    return s.locked || s.disconnected || s.displayOff || s.suspending;
}

Presence DecidePresence(const PresenceSignals& s) {
    if (AwayByMessages(s) || s.screenSaver || s.shellState == ShellStateNotPresent) {
        return Presence::Away;
    }
    if (!s.busyRuleOn) return Presence::Here;
    if (s.foregroundFullScreen || ShellSaysBusyAlone(s.shellState) ||
        (ShellSaysBusyIfSeen(s.shellState) && s.foregroundCoversMonitor)) {
        return Presence::Busy;
    }
    return Presence::Here;
}

bool ShellWindowClass(const char* className) {
    for (const char* shell : {"Progman", "WorkerW", "Shell_TrayWnd", "#32769"}) {
        if (std::strcmp(className, shell) == 0) return true;
    }
    return false;
}

bool FullScreenWindow(const ForegroundFacts& window, const MonitorArea* monitors, int32_t count,
                      const ScreenRect& primary) {
    return CoversItsMonitor(window, monitors, count, primary) && !window.captioned;
}

ForegroundLook LookAtForeground(const ForegroundFacts& front, const MonitorArea* monitors,
                                int32_t count, const ScreenRect& primary,
                                const ForegroundLook& before) {
    if (front.exists && front.ours) return before;
    return {FullScreenWindow(front, monitors, count, primary),
            CoversItsMonitor(front, monitors, count, primary)};
}
