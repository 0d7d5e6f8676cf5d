#include "bench/floor_window.h"

#include <cstdlib>

namespace {

constexpr int Side = 48;
constexpr UINT_PTR TickTimer = 1;
constexpr UINT TickMs = 128;
constexpr COLORREF Fill = RGB(40, 110, 60);
constexpr COLORREF Mark = RGB(230, 220, 120);
constexpr RECT MarkBar = {8, 20, 40, 28};

HBITMAP Picture = nullptr;
void (*AtDestroy)(HWND) = nullptr;

// A picture with some content, made once: a filled square with a lighter bar.
HBITMAP MakePicture() {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, Side, Side);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HBRUSH fill = CreateSolidBrush(Fill);
    HBRUSH mark = CreateSolidBrush(Mark);
    RECT all = {0, 0, Side, Side};
    FillRect(memory, &all, fill);
    FillRect(memory, &MarkBar, mark);
    DeleteObject(fill);
    DeleteObject(mark);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

void Paint(HWND window) {
    PAINTSTRUCT ps;
    HDC target = BeginPaint(window, &ps);
    HDC memory = CreateCompatibleDC(target);
    HGDIOBJ old = SelectObject(memory, Picture);
    BitBlt(target, 0, 0, Side, Side, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    EndPaint(window, &ps);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: SetTimer(window, TickTimer, TickMs, nullptr); return 0;
    case WM_TIMER: InvalidateRect(window, nullptr, FALSE); return 0;
    case WM_PAINT: Paint(window); return 0;
    case WM_DESTROY:
        KillTimer(window, TickTimer);
        if (AtDestroy != nullptr) AtDestroy(window);
        PostQuitMessage(0);
        return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

HWND CreateFloorWindow(HINSTANCE instance, const char* className, void (*atDestroy)(HWND)) {
    int left = (GetSystemMetrics(SM_CXSCREEN) - Side) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - Side) / 2;
    if (__argc >= 3) {
        left = std::atoi(__argv[1]);
        top = std::atoi(__argv[2]);
    }
    AtDestroy = atDestroy;
    Picture = MakePicture();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    if (!RegisterClassA(&wc)) return nullptr;
    return CreateWindowExA(WS_EX_TOOLWINDOW, className, className, WS_POPUP, left, top, Side,
                           Side, nullptr, nullptr, instance, nullptr);
}

int ShowFloorWindowAndRun(HWND window) {
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DeleteObject(Picture);
    return static_cast<int>(msg.wParam);
}
