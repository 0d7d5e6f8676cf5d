// Perching: each heartbeat tick the sozu moves beside the window in front.
#include "display/placement.h"
#include "display/placement_plan.h"
#include "app/settings.h"
#include "app/taskbar.h"
#include "app/window_win32.h"

namespace {

bool ReadRect(HWND window, ScreenRect& out) {
    RECT r;
    if (!window || !GetWindowRect(window, &r)) return false;
    out = {r.left, r.top, r.right, r.bottom};
    return true;
}

// The bottom taskbar is read afresh each tick: it may have grown, shrunk or hidden itself.
int32_t CurrentFloor() {
    ScreenRect bar;
    const bool haveBar = TaskbarEdge == TaskbarBottom && ReadRect(TaskbarWindow, bar);
    return PerchFloor(TaskbarEdge, haveBar ? &bar : nullptr, ScreenHeight);
}

// The window the user sees below the sozu. Hidden windows stand in the z-order too (the
// taskbar's idle tooltip, which is topmost like the sozu, and every program's IME window);
// perching beside one would put the sozu at its empty rectangle, off the screen's corner.
HWND NextShownBelow(HWND window) {
    for (HWND w = GetWindow(window, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (IsWindowVisible(w)) return w;
    }
    return nullptr;
}

}  // namespace

void PerchBesideForeground(HWND window) {
    if (FreePlacement(AppSettings.PositionMode) || AboutDialogOpen == 1) return;
    ScreenRect own;
    if (!ReadRect(window, own)) return;
    ScreenPoint planned = {own.left, own.top};

    HWND foreground = GetForegroundWindow();
    HWND below = nullptr;
    bool targetAlive = false;
    if (foreground == window) {
        targetAlive = PerchTarget && IsWindow(PerchTarget);
        if (!targetAlive) below = NextShownBelow(window);
    }
    const PerchChoice choice =
        ChoosePerchCandidate(foreground, window, PerchTarget, targetAlive, below);
    PerchTarget = static_cast<HWND>(choice.perchTarget);
    HWND candidate = static_cast<HWND>(choice.candidate);

    ScreenRect rect;
    if (candidate && candidate != window && ReadRect(candidate, rect)) {
        PerchTarget = candidate;
        planned = PerchPosition(rect, CurrentFloor());
    }
    SetWindowPos(window, HWND_TOPMOST, planned.x, planned.y, WindowSize, WindowSize,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
}
