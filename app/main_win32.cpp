// The entry point: one copy at a time, resources, the window, the message loop.
#include <windows.h>
#include <mmsystem.h>
#include "app/window_win32.h"
#include "app/taskbar.h"
#include "res/resource.h"

namespace {

constexpr char InstanceMutexName[] = "TSUTSURIN";
constexpr char AlreadyRunningText[] =
    "既に 『Tsutsuri』 が起動しています、\r\n『Tsutsuri』 は同時に一つだけ起動できます。";
constexpr char Caption[] = "Tsutsuri";
constexpr int MenuMissingExitCode = -3;

HICON LoadSmallIcon(int id) {
    return static_cast<HICON>(LoadImageA(Instance, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16,
                                         LR_DEFAULTCOLOR));
}

HBITMAP LoadBitmapResource(int id) { return LoadBitmapA(Instance, MAKEINTRESOURCEA(id)); }

void LoadGraphics() {
    IconTipping = LoadSmallIcon(IDI_TRAY_TIPPING);
    IconResting = LoadSmallIcon(IDI_APP);
    CursorHand = LoadCursorA(Instance, MAKEINTRESOURCEA(IDCUR_HAND));
    CursorLadle = LoadCursorA(Instance, MAKEINTRESOURCEA(IDCUR_LADLE));
    CursorLadlePouring = LoadCursorA(Instance, MAKEINTRESOURCEA(IDCUR_LADLE_POURING));
    for (int i = 0; i < FrameCount; ++i) {
        FrameBitmaps[i] = LoadBitmapResource(IDB_FRAME_FIRST + i);
    }
    StreamSheet = LoadBitmapResource(IDB_STREAM_SHEET);
    StreamMask = LoadBitmapResource(IDB_STREAM_MASK);
    MeterStrip = LoadBitmapResource(IDB_METER_STRIP);
}

bool RegisterMainClass() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = Instance;
    wc.hIcon = IconResting;
    // The inactive caption colour plus one, as a class brush; every paint covers it at once.
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_INACTIVECAPTION + 1));
    wc.lpszClassName = WindowClassName;
    return RegisterClassA(&wc) != 0;
}

void FindTaskbar() {
    TaskbarWindow = FindWindowA("Shell_TrayWnd", nullptr);
    RECT r = {};
    GetWindowRect(TaskbarWindow, &r);   // no taskbar leaves an empty rectangle: a side bar
    TaskbarEdge = ClassifyTaskbar({r.left, r.top, r.right, r.bottom});
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    Instance = instance;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, InstanceMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        MessageBoxA(nullptr, AlreadyRunningText, Caption, MB_OK);
        return 0;
    }
    PerchTarget = GetForegroundWindow();
    MainMenu = LoadMenuA(Instance, MAKEINTRESOURCEA(IDR_MAINMENU));
    if (!MainMenu) return MenuMissingExitCode;
    PopupMenu = GetSubMenu(MainMenu, 0);
    LoadGraphics();

    if (!RegisterMainClass()) return 0;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - WindowSize) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - WindowSize) / 2;
    MainWindow = CreateWindowExA(WS_EX_TOOLWINDOW, WindowClassName, WindowClassName, WS_POPUP,
                                 left, top, WindowSize, WindowSize, nullptr, nullptr, Instance,
                                 nullptr);
    if (!MainWindow) return 0;

    ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    FindTaskbar();
    Sleep(0);
    ShowWindow(MainWindow, SW_SHOWNORMAL);
    UpdateWindow(MainWindow);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    ReleaseMutex(mutex);
    return static_cast<int>(msg.wParam);
}
