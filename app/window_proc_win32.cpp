// The main window's procedure: each message a line or two that calls its handler.
#include <initializer_list>
#include "app/window_win32.h"

namespace {

LRESULT OnCreate(HWND window) {
    SetTimer(window, HeartbeatTimer, HeartbeatMs, nullptr);
    return 0;
}

LRESULT OnDestroy(HWND window) {
    for (int i = 0; i < FrameCount; ++i) {
        if (FrameBitmaps[i]) DeleteObject(FrameBitmaps[i]);
        if (FrameRegions[i]) DeleteObject(FrameRegions[i]);
    }
    for (HBITMAP b : {StreamSheet, StreamMask, MeterStrip}) {
        if (b) DeleteObject(b);
    }
    // The applied region belongs to the window system; only the property goes.
    if (GetPropA(window, RegionProperty)) RemovePropA(window, RegionProperty);
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
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}
