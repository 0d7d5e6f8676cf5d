// The entry point: one copy at a time, resources, the window, the message loop.
#include <windows.h>
#include <mmsystem.h>
#include "app/commands.h"
#include "app/hooks.h"
#include "app/settings.h"
#include "app/text_win32.h"
#include "app/tray.h"
#include "app/window_win32.h"
#include "cpu/cpu.h"
#include "display/monitors.h"
#include "display/paint.h"
#include "display/placement.h"
#include "display/region.h"
#include "res/resource.h"
#include "sim/sim.h"
#include "sound/effects.h"

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
        FrameRegions[i] = BuildFrameRegion(i, FrameBitmaps[i]);
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

void ConnectPlatform() {
    Platform.sampleCpuUsage = SampleCpuUsage;
    Platform.trayModify = TrayModify;
    Platform.playSoundEffect = PlaySoundEffect;
    Platform.applyFrameRegion = ApplyFrameRegion;
}

// Where the window starts out, by placement: perched windows jump beside the foreground
// window on the first tick; always-on-top windows are topmost from the first moment; every
// other value stands free where it was saved.
void PrepareFirstPlacement() {
    switch (AppSettings.PositionMode) {
    case PositionPerched: {
        RECT r = {};
        if (!GetWindowRect(PerchTarget, &r)) r = {};
        AppSettings.WindowPos.left = r.right;
        AppSettings.WindowPos.top = r.top;
        break;
    }
    case PositionFreeOnTop:
        SetWindowPos(MainWindow, HWND_TOPMOST, 0, 0, WindowSize, WindowSize, SWP_NOMOVE);
        break;
    default:
        break;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    ConnectPlatform();
    Instance = instance;
    // The family decides how texts reach the system, the already-running notice's among them.
    DetectOsFamily();
    HANDLE mutex = CreateMutexA(nullptr, FALSE, InstanceMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        ShowMessageBox(nullptr, AlreadyRunningText, Caption, MB_OK);
        return 0;
    }
    PerchTarget = GetForegroundWindow();
    MainMenu = LoadMenuA(Instance, MAKEINTRESOURCEA(IDR_MAINMENU));
    if (!MainMenu) return MenuMissingExitCode;
    PopupMenu = GetSubMenu(MainMenu, 0);
    LoadGraphics();
    SettingsFileIo(SettingsLoad);
    SeedRandom(timeGetTime());

    // Explorer broadcasts this message whenever it (re)starts its taskbar; the number is the
    // session's own, so it is asked for before the window that will hear it exists.
    TaskbarCreatedMessage = RegisterWindowMessageA(TaskbarCreatedMessageName);
    if (!RegisterMainClass()) return 0;
    MainWindow = CreateWindowExA(WS_EX_TOOLWINDOW, WindowClassName, WindowClassName, WS_POPUP,
                                 AppSettings.WindowPos.left, AppSettings.WindowPos.top,
                                 WindowSize, WindowSize, nullptr, nullptr, Instance, nullptr);
    if (!MainWindow) return 0;

    CheckCpuMonitor();
    InitDrops();
    AddTrayIcon(MainWindow);
    ApplySettings(MainWindow);
    MeasureScreenAndTaskbar();
    PrepareFirstPlacement();
    // A free place saved on a monitor that is gone (unplugged, or the laptop off its dock).
    KeepFreeSozuOnMonitors(MainWindow, WindowSize);
    // The first picture is a tip already under way (frame 3, with that frame's shape), shown
    // with the idle cursor.
    TipStep(true, MainWindow);
    ClickTip = 0;
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
