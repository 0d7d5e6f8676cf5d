// The main window's procedure: each message a line or two that calls its handler.
#include <initializer_list>
#include "app/commands.h"
#include "app/input.h"
#include "app/settings.h"
#include "app/tray.h"
#include "app/window_win32.h"
#include "display/paint.h"
#include "sound/engine.h"

namespace {

LRESULT OnCreate(HWND window) {
    SetTimer(window, HeartbeatTimer, HeartbeatMs, nullptr);
    return 0;
}

LRESULT OnDestroy(HWND window) {
    SoundEngine::Shutdown();
    RECT r;
    GetWindowRect(window, &r);
    AppSettings.WindowPos = {r.left, r.top, r.right, r.bottom};
    SettingsFileIo(SettingsSave);
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
    KillTimer(window, HeartbeatTimer);
    KillTimer(window, ClickTipTimer);
    KillTimer(window, WaterSoundTimer);
    PostQuitMessage(0);
    return 0;
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate(window);
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
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}
