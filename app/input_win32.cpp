#include "app/input.h"
#include "app/heartbeat.h"
#include "app/window_proc_win32.h"
#include "app/commands_win32.h"
#include "app/presence.h"
#include "base/settings.h"
#include "display/tray.h"
#include "base/window_win32.h"
#include "display/placement.h"
#include "display/placement_plan.h"
#include "base/scale.h"
#include "sim/sim.h"

namespace {

constexpr uint8_t InteractionIdle = 0;
constexpr uint8_t InteractionTipPressed = 1;
constexpr uint8_t InteractionMenuOpen = 2;

HCURSOR LadleCursor() { return ClickTip == 1 ? CursorLadlePouring : CursorLadle; }

void StartMenu(HWND window) {
    InteractionState = InteractionMenuOpen;
    ShowPopupMenu(window);
}

}  // namespace

LRESULT OnNcHitTest(HWND window, WPARAM wParam, LPARAM lParam) {
    const LRESULT hit = DefWindowProcA(window, WM_NCHITTEST, wParam, lParam);
    return hit == HTCLIENT ? HTCAPTION : hit;
}

LRESULT OnSetCursor(HWND window) {
    POINT cursor;
    GetCursorPos(&cursor);
    if (InteractionState == InteractionMenuOpen) {
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        return 0;
    }
    RECT r;
    GetWindowRect(window, &r);
    const bool upperBand = cursor.y < r.top + UpperBandRows(DisplayScale.side);
    if (upperBand || !FreePlacement(AppSettings.PositionMode)) {
        SetCursor(LadleCursor());
        return 0;
    }
    // Over the drag handle of a free window: the drag (if any) is over, and a moved window's
    // position reaches the settings file one coordinate at a time.
    SetCursor(CursorHand);
    Dragging = 0;
    if (r.left != AppSettings.WindowPos.left) SaveWindowLeft(r.left);
    if (r.top != AppSettings.WindowPos.top) SaveWindowTop(r.top);
    return 0;
}

LRESULT OnNcButtonDown(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    POINT cursor;
    GetCursorPos(&cursor);
    if (FreePlacement(AppSettings.PositionMode)) {
        RECT r;
        GetWindowRect(window, &r);
        AppSettings.WindowPos = {r.left, r.top, r.right, r.bottom};
        const int32_t side = DisplayScale.side;
        if (cursor.y > r.top + UpperBandRows(side)) {
            Dragging = 1;
            const ScreenPoint grip = DragGrip(side);
            MoveWindow(window, cursor.x - grip.x, cursor.y - grip.y, side, side, TRUE);
            // The system's own move loop for a caption press does the dragging.
            return DefWindowProcA(window, message, wParam, lParam);
        }
    }
    if (InteractionState == InteractionIdle) {
        SetCursor(CursorLadle);
        InteractionState = InteractionTipPressed;
    } else {
        SetCursor(CursorLadlePouring);
        InteractionState = InteractionIdle;
    }
    // A press while the timer is pending restarts its 128 ms: a double click tips once.
    SetTimer(window, ClickTipTimer, HeartbeatPeriodMs, ClickTipTimerProc);
    return 0;
}

void CALLBACK ClickTipTimerProc(HWND window, UINT, UINT_PTR id, DWORD) {
    TipStep(true, window);
    KillTimer(window, id);
}

LRESULT OnNcRightButtonDown(HWND window) {
    StartMenu(window);
    return 0;
}

LRESULT OnKeyDown(WPARAM key) {
    // Hidden over a film, the sozu may still be the foreground window (its tray menu closed
    // there): the user's keys are meant for the film, and Escape must not end the program
    // unseen.
    if (SozuHiddenForBusy) return 0;
    if (key == VK_ESCAPE) {
        // Leaves without destroying the window, so nothing is saved. The notification icon
        // would outlive the program until the pointer next passed over it: it goes here.
        ShowCursor(TRUE);
        RemoveTrayIcon();
        PostQuitMessage(0);
    }
    return 0;
}

LRESULT OnHeartbeat(HWND window) {
    KeepHeartbeat(window);
    // This step's look may have found nobody there and stopped the heartbeat: the step ends.
    if (CurrentPresence() == Presence::Away) return 0;
    if (InteractionState == InteractionMenuOpen) return 0;   // the sozu stands still
    Sleep(0);
    PerchBesideForeground(window);
    TipStep(false, window);
    return 0;
}

LRESULT OnExitMenuLoop() {
    InteractionState = InteractionIdle;
    return 0;
}

LRESULT OnTrayCallback(HWND window, WPARAM id, LPARAM mouseMessage) {
    if (id != TrayIconIdentifier) return 0;
    if (mouseMessage != WM_LBUTTONDOWN && mouseMessage != WM_RBUTTONDOWN) return 0;
    if (AboutDialogOpen == 1) {
        SetForegroundWindow(static_cast<HWND>(AboutDialogWindow));
        return 0;
    }
    StartMenu(window);
    return 0;
}
