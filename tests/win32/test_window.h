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
