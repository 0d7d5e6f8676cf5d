#include "app/presence.h"

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

ForegroundLook LookAtForeground(const ForegroundFacts& front, const MonitorArea* monitors,
                                int32_t count, const ScreenRect& primary,
                                const ForegroundLook& before) {
    if (front.exists && front.ours) return before;
    return {FullScreenWindow(front, monitors, count, primary),
            CoversItsMonitor(front, monitors, count, primary)};
}
