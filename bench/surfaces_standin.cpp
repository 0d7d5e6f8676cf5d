// surfaces_standin.exe: what Wine 8 does with the X11 surface of a window that is gone, shown
// without the program. Wine draws a top-level window into a surface it shares with the X
// server (SysV shared memory, "/SYSV00000000" in /proc/PID/smaps). A cache DC that drew into a
// surface keeps a reference to it after the DC is released, and after the window is
// destroyed, until that DC is taken for drawing again: so the surface of the last window of
// that size stays mapped, and one drawn through a second DC of the same window stays for as
// long as that second DC is not taken again, whatever windows come and go meanwhile.
//
// The calls are the ones the about dialog's life makes in the program at 144 DPI: a small
// window shown throughout, and a window of the about dialog's size shown, drawn and destroyed,
// again and again; once, it is drawn while a DC of it is in use. Every window and DC is gone
// at each step's end. After each step a line goes to stdout and the stand-in waits, so that
// bench/surfaces_standin.sh reads the shared memory of its process there.
#include <windows.h>

#include <cstdio>

namespace {

constexpr char ClassName[] = "TsutsuriSurfaces";
constexpr int SmallSide = 72;               // the sozu at 144 DPI
constexpr int DialogWidth = 498;            // the about dialog at 144 DPI
constexpr int DialogHeight = 277;
constexpr int CyclesEachSide = 3;   // windows before and after the one drawn through two DCs
constexpr DWORD StepPauseMs = 1000;

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    MSG msg;
    do {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(10);
    } while (GetTickCount() - start < ms);
}

void Step(int number, const char* what) {
    std::printf("step %d: %s\n", number, what);
    std::fflush(stdout);
    PumpFor(StepPauseMs);
}

HWND Show(int left, int width, int height) {
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, ClassName, "", WS_POPUP, left, 0, width, height,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNA);
    UpdateWindow(window);
    return window;
}

void Draw(HWND window) {
    HDC dc = GetDC(window);
    PatBlt(dc, 0, 0, DialogWidth, DialogHeight, WHITENESS);
    ReleaseDC(window, dc);
}

// A dialog-sized window shown, drawn and destroyed; throughTwo draws it once more through a
// second DC while a DC of it is in use.
void DialogSizedWindow(bool throughTwo) {
    HWND window = Show(SmallSide, DialogWidth, DialogHeight);
    HDC held = throughTwo ? GetDC(window) : nullptr;
    Draw(window);
    if (held) ReleaseDC(window, held);
    DestroyWindow(window);
}

}  // namespace

int main() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = ClassName;
    if (!RegisterClassA(&wc)) return 1;
    HWND small = Show(0, SmallSide, SmallSide);
    int step = 0;
    Step(++step, "the small window alone");
    for (int i = 0; i < 2 * CyclesEachSide + 1; ++i) {
        const bool throughTwo = i == CyclesEachSide;
        DialogSizedWindow(throughTwo);
        Draw(small);
        Step(++step, throughTwo ? "one drawn while a DC of it was in use, destroyed"
                                : "a dialog-sized window drawn and destroyed");
    }
    DestroyWindow(small);
    return 0;
}
