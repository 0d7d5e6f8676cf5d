// floor.exe: the least a 48x48 desktop accessory can cost, the yardstick for the program's
// idle CPU time, start-up time and working set. A popup tool window whose 128 ms timer
// invalidates it, and whose paint copies one 48x48 bitmap through a memory context, as the
// program's heartbeat does at the very least.
//
//   floor.exe [LEFT TOP]     the window's place (default: the middle of the screen)
#include <windows.h>
#include <cstdlib>

namespace {

constexpr char ClassName[] = "TsutsuriFloor";
constexpr int Side = 48;
constexpr UINT_PTR TickTimer = 1;
constexpr UINT TickMs = 128;
constexpr COLORREF Fill = RGB(40, 110, 60);
constexpr COLORREF Mark = RGB(230, 220, 120);

HBITMAP Picture = nullptr;

// A picture with some content, made once: a filled square with a lighter bar.
HBITMAP MakePicture() {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, Side, Side);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HBRUSH fill = CreateSolidBrush(Fill);
    HBRUSH mark = CreateSolidBrush(Mark);
    RECT all = {0, 0, Side, Side};
    RECT bar = {8, 20, 40, 28};
    FillRect(memory, &all, fill);
    FillRect(memory, &bar, mark);
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
        PostQuitMessage(0);
        return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int left = (GetSystemMetrics(SM_CXSCREEN) - Side) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - Side) / 2;
    if (__argc >= 3) {
        left = std::atoi(__argv[1]);
        top = std::atoi(__argv[2]);
    }
    Picture = MakePicture();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = ClassName;
    if (!RegisterClassA(&wc)) return 1;
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, ClassName, ClassName, WS_POPUP, left, top,
                                  Side, Side, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
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
