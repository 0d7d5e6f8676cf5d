#include "app/presence.h"

#include <cstring>
#include <initializer_list>

int32_t SozuHiddenForBusy = 0;

namespace {

bool ShellSaysBusy(int32_t state) {
    switch (state) {
    case ShellStateBusy:
    case ShellStateFullScreenD3d:
    case ShellStatePresentation:
    case ShellStateApp: return true;
    default: return false;
    }
}

bool Covers(const ScreenRect& outer, const ScreenRect& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

}  // namespace

bool AwayByMessages(const PresenceSignals& s) {
    return s.locked || s.disconnected || s.displayOff || s.suspending;
}

Presence DecidePresence(const PresenceSignals& s) {
    if (AwayByMessages(s) || s.shellState == ShellStateNotPresent) return Presence::Away;
    if (s.busyRuleOn && (ShellSaysBusy(s.shellState) || s.foregroundFullScreen)) {
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

bool ForegroundFullScreen(const ForegroundFacts& front, const MonitorArea* monitors,
                          int32_t count, const ScreenRect& primary, bool before) {
    if (front.exists && front.ours) return before;
    if (!front.exists || front.shell || front.captioned) return false;
    const int32_t held = NearestMonitor(front.rect, monitors, count);
    return Covers(front.rect, held < 0 ? primary : monitors[held].bounds);
}
