// The start-up once the window exists, in the order that keeps a busy or absent user
// undisturbed: presence is decided before anything is shown or heard.
#include <windows.h>
#include "app/commands_win32.h"
#include "app/presence.h"
#include "base/settings.h"
#include "base/window_win32.h"
#include "display/monitors.h"
#include "display/placement.h"
#include "base/scale.h"
#include "sim/sim.h"
#include "app/startup_win32.h"
#include "app/window_proc_win32.h"

namespace {

// Where the window starts out, by placement: perched windows jump beside the foreground
// window on the first tick; always-on-top windows are topmost from the first moment; every
// other value stands free where it was saved.
void PrepareFirstPlacement(HWND window) {
    switch (AppSettings.PositionMode) {
    case PositionPerched: {
        RECT r = {};
        if (!GetWindowRect(PerchTarget, &r)) r = {};
        AppSettings.WindowPos.left = r.right;
        AppSettings.WindowPos.top = r.top;
        break;
    }
    case PositionFreeOnTop:
        // Not activated: hidden behind a film, it would take the foreground from it and keep
        // the verdict busy as the program's own window in front.
        SetWindowPos(window, HWND_TOPMOST, 0, 0, DisplayScale.side, DisplayScale.side,
                     SWP_NOMOVE | SWP_NOACTIVATE);
        break;
    default:
        break;
    }
}

}  // namespace

void StartSozu(HWND window) {
    // The monitors first: the first look's full-screen rule measures against them.
    MeasureScreenAndTaskbar();
    // Busy hides the window before it ever shows and keeps every sound from starting; away
    // keeps the sound device closed (the volume waits for the return) and the timers off.
    StartPresence(window);
    ApplySettings(window);
    PrepareFirstPlacement(window);
    // A free place saved on a monitor that is gone (unplugged, or the laptop off its dock).
    KeepFreeSozuOnMonitors(window, DisplayScale.side);
    // The first picture is a tip already under way (frame 3, with that frame's shape), shown
    // with the idle cursor.
    TipStep(true, window);
    ClickTip = 0;
    Sleep(0);
    ShowAsPresenceAllows(window);
}
