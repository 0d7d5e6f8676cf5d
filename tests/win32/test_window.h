// A plain popup window of a given rectangle, for tests that need a real window.
#pragma once
#include <windows.h>

inline HWND MakeTestWindow(int left, int top, int width, int height,
                           DWORD exStyle = WS_EX_TOOLWINDOW, const char* title = "") {
    static const char ClassName[] = "TsutsuriTestWindow";
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = ClassName;
        RegisterClassA(&wc);
        registered = true;
    }
    return CreateWindowExA(exStyle, ClassName, title, WS_POPUP, left, top, width, height,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// A shown 48x48 tool window at (100, 100), as the sozu stands, whose messages go to procedure;
// its class className is registered here. Unregister it after destroying the window.
inline HWND MakeSozuTestWindow(const char* className, WNDPROC procedure) {
    constexpr int Side = 48;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, className, className, WS_POPUP, 100, 100,
                                  Side, Side, nullptr, nullptr, wc.hInstance, nullptr);
    if (window) ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

// Dispatches every message queued now.
inline void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// Dispatches what arrives until done() holds or ms pass; answers done().
template <typename Done>
bool PumpUntil(Done done, DWORD ms) {
    const DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < ms) {
        Pump();
        Sleep(5);
    }
    return done();
}
