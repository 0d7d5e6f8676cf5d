// The main window's procedure: each message a line or two that calls its handler.
#include <initializer_list>
#include "app/commands_win32.h"
#include "app/input.h"
#include "app/presence.h"
#include "base/settings.h"
#include "display/tray.h"
#include "base/window_win32.h"
#include "display/monitors.h"
#include "display/paint.h"
#include "display/placement.h"
#include "display/scale_win32.h"
#include "sound/device_watch.h"
#include "sound/engine.h"
#include "display/artwork_win32.h"
#include "app/heartbeat.h"
#include "app/window_proc_win32.h"
#include "sound/mmfuncs.h"

namespace {

// The heartbeat's steady schedule, started again with the present timers.
HeartbeatPace Pace = {};

// What the exit keeps: the window's place and every setting.
void SaveWindowAndSettings(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    AppSettings.WindowPos = {r.left, r.top, r.right, r.bottom};
    SettingsFileIo(SettingsSave);
}

LRESULT OnDestroy(HWND window) {
    StopPresence(window);
    StopListeningToOutputs();
    SoundEngine::Shutdown();
    SaveWindowAndSettings(window);
    ReleasePaintContexts();
    for (int i = 0; i < FrameCount; ++i) {
        if (FrameBitmaps[i]) DeleteObject(FrameBitmaps[i]);
        if (FrameRegions[i]) DeleteObject(FrameRegions[i]);
    }
    for (HBITMAP b : {StreamSheet, StreamMask, MeterStrip}) {
        if (b) DeleteObject(b);
    }
    // The applied region belongs to the window system; only the property goes.
    if (GetPropA(window, RegionProperty)) RemovePropA(window, RegionProperty);
    RemoveTrayIcon();
    ReleaseScaledGraphics();
    StopHeartbeat(window);
    PostQuitMessage(0);
    return 0;
}

// Logoff or shutdown: Windows ends the process after this without destroying the window, so
// the exit's save would never run. A session that goes on (wParam false) changes nothing.
LRESULT OnEndSession(HWND window, WPARAM ending) {
    if (ending) SaveWindowAndSettings(window);
    return 0;
}

// A new resolution, or a taskbar moved, resized or restarted: the floor of perching follows.
LRESULT OnScreenChanged() {
    MeasureScreenAndTaskbar();
    return 0;
}

// A monitor may have gone with the change: a free sozu left off every monitor comes back.
// Hidden for a game that switched the resolution, it is neither moved nor saved (the end of
// busy reads the screen again); the monitors are read all the same, for the full-screen rule.
LRESULT OnDisplayChange(HWND window) {
    MeasureScreenAndTaskbar();
    if (!SozuHiddenForBusy) KeepFreeSozuOnMonitors(window, DisplayScale.side);
    return 0;
}

LRESULT OnSettingChange(WPARAM what) {
    if (what == SPI_SETWORKAREA) MeasureScreenAndTaskbar();
    return 0;
}

// Explorer (re)started: its new taskbar holds no icons and is a new window.
LRESULT OnTaskbarCreated() {
    RestoreTrayIcon();
    return OnScreenChanged();
}

}  // namespace

void StartHeartbeat(HWND window) {
    SetTimer(window, HeartbeatTimer, StartHeartbeatPace(Pace, MillisecondClock()), nullptr);
}

void KeepHeartbeat(HWND window) {
    const uint32_t now = MillisecondClock();
    const uint32_t next = PaceHeartbeat(Pace, now);
    if (next != 0) SetTimer(window, HeartbeatTimer, next, nullptr);
    const HeartbeatChores chores = ChoresOfStep(Pace);
    // The watch first: a look that finds the user away stops the heartbeat and the engine.
    if (chores.deviceWatch) LookAtSoundDevice(window, GetTickCount());   // the watch's clock
    if (chores.presenceLook) LookOnHeartbeat(window);
}

void StopHeartbeat(HWND window) {
    KillTimer(window, HeartbeatTimer);
    KillTimer(window, WaterSoundTimer);
    KillTimer(window, ClickTipTimer);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A registered message has no constant number, so it cannot be a case of the switch; its
    // number is 0 until registered, and WM_NULL (which follows the popup menu) is not it.
    if (message == TaskbarCreatedMessage && message != WM_NULL) return OnTaskbarCreated();
    switch (message) {
    case WM_DESTROY: return OnDestroy(window);
    case WM_PAINT: return PaintMainWindow(window);
    case WM_COMMAND: return OnCommand(window, wParam, lParam);
    case WM_SETCURSOR: return OnSetCursor(window);
    case WM_NCHITTEST: return OnNcHitTest(window, wParam, lParam);
    case WM_NCLBUTTONDOWN:
    case WM_NCMBUTTONDOWN: return OnNcButtonDown(window, message, wParam, lParam);
    case WM_NCRBUTTONDOWN: return OnNcRightButtonDown(window);
    case WM_KEYDOWN: return OnKeyDown(wParam);
    case WM_TIMER: return OnHeartbeat(window);
    case WM_EXITMENULOOP: return OnExitMenuLoop();
    case TrayCallbackMessage: return OnTrayCallback(window, wParam, lParam);
    case WM_ENDSESSION: return OnEndSession(window, wParam);
    case WM_DISPLAYCHANGE: return OnDisplayChange(window);
    case WM_SETTINGCHANGE: return OnSettingChange(wParam);
    case WM_WTSSESSION_CHANGE: return OnSessionChange(window, wParam);
    case WM_POWERBROADCAST: return OnPowerBroadcast(window, wParam, lParam);
    case OutputNoticeMessage: return OnOutputNotice(window);
    case DpiChangedMessage: return OnDpiChanged(window, wParam, lParam);
    case GetDpiScaledSizeMessage: return OnGetDpiScaledSize(wParam, lParam);
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}
