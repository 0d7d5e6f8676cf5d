// The entry point: one copy at a time, resources, the window, the message loop.
#include <windows.h>
#include "base/hooks.h"
#include "base/settings.h"
#include "base/system_win32.h"
#include "base/text_win32.h"
#include "display/tray.h"
#include "base/window_win32.h"
#include "cpu/cpu.h"
#include "display/paint.h"
#include "display/region.h"
#include "display/scale_win32.h"
#include "res/resource.h"
#include "sim/sim.h"
#include "sound/effects.h"
#include "sound/mmfuncs.h"
#include "display/artwork_win32.h"
#include "display/placement.h"
#include "app/startup_win32.h"
#include "app/window_proc_win32.h"

namespace {

constexpr char InstanceMutexName[] = "TSUTSURIN";
constexpr char AlreadyRunningText[] =
    "既に 『Tsutsuri』 が起動しています、\r\n『Tsutsuri』 は同時に一つだけ起動できます。";
constexpr char Caption[] = "Tsutsuri";
constexpr int MenuMissingExitCode = -3;

// The library search narrowed to the system folder, for every load from here on, the system's
// own libraries' loads on the program's behalf among them: without it Windows looks in the
// program's folder and the current folder first. Each call is there only on newer systems
// (SetDefaultDllDirectories: 8, and 7 with KB2533623; SetDllDirectoryA: XP SP1), so each is
// looked up; where neither is, every library the program loads itself still comes by full path.
constexpr DWORD SearchSystemFolderOnly = 0x00000800;   // LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr char NoExtraFolder[] = "";                    // takes the current folder out
using SetDefaultDllDirectoriesCall = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryCall = BOOL(WINAPI*)(LPCSTR);
SystemCallSlot DefaultDllDirectoriesSlot = {Kernel32Library, "SetDefaultDllDirectories",
                                            LibrarySource::AlreadyLoaded, false, nullptr};
SystemCallSlot DllDirectorySlot = {Kernel32Library, "SetDllDirectoryA",
                                   LibrarySource::AlreadyLoaded, false, nullptr};

void NarrowLibrarySearch() {
    const auto setDefault = SystemCall<SetDefaultDllDirectoriesCall>(DefaultDllDirectoriesSlot);
    if (setDefault) setDefault(SearchSystemFolderOnly);
    const auto setDirectory = SystemCall<SetDllDirectoryCall>(DllDirectorySlot);
    if (setDirectory) setDirectory(NoExtraFolder);
}

HBITMAP LoadBitmapResource(int id) { return LoadBitmapA(Instance, MAKEINTRESOURCEA(id)); }

// The artwork, then what the display scale makes of it (shapes, icons, cursors) at the
// screen's scale: the window, made later, may stand on a monitor of another scale.
void LoadGraphics() {
    for (int i = 0; i < FrameCount; ++i) FrameBitmaps[i] = LoadBitmapResource(IDB_FRAME_FIRST + i);
    StreamSheet = LoadBitmapResource(IDB_STREAM_SHEET);
    StreamMask = LoadBitmapResource(IDB_STREAM_MASK);
    MeterStrip = LoadBitmapResource(IDB_METER_STRIP);
    ApplyDisplayScale(nullptr, WindowDpi(nullptr));
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

// What every later step relies on: the library search, the platform hooks, the instance and
// the system family, which decides how texts reach the system (the next step's notice's too).
void PrepareProcess(HINSTANCE instance) {
    NarrowLibrarySearch();
    ConnectPlatform();
    Instance = instance;
    DetectOsFamily();
}

// False, after telling the user, when another copy runs; the mutex is held until the end.
bool OnlyCopy(HANDLE& mutex) {
    mutex = CreateMutexA(nullptr, FALSE, InstanceMutexName);
    if (GetLastError() != ERROR_ALREADY_EXISTS) return true;
    ShowMessageBox(nullptr, AlreadyRunningText, Caption, MB_OK);
    return false;
}

bool LoadMenus() {
    MainMenu = LoadMenuA(Instance, MAKEINTRESOURCEA(IDR_MAINMENU));
    if (!MainMenu) return false;
    PopupMenu = GetSubMenu(MainMenu, 0);
    return true;
}

// The window at the saved place, at the scale in force.
HWND CreateMainWindow() {
    // Explorer broadcasts this message whenever it (re)starts its taskbar; the number is the
    // session's own, so it is asked for before the window that will hear it exists.
    TaskbarCreatedMessage = RegisterWindowMessageA(TaskbarCreatedMessageName);
    if (!RegisterMainClass()) return nullptr;
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, WindowClassName, WindowClassName, WS_POPUP,
                                  AppSettings.WindowPos.left, AppSettings.WindowPos.top,
                                  DisplayScale.side, DisplayScale.side, nullptr, nullptr,
                                  Instance, nullptr);
    if (window) AdoptWindowDpi(window);
    return window;
}

int RunMessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    PrepareProcess(instance);
    HANDLE mutex = nullptr;
    if (!OnlyCopy(mutex)) return 0;
    PerchTarget = GetForegroundWindow();
    if (!LoadMenus()) return MenuMissingExitCode;
    LoadGraphics();
    SettingsFileIo(SettingsLoad);
    SeedRandom(MillisecondClock());
    MainWindow = CreateMainWindow();
    if (!MainWindow) return 0;
    CheckCpuMonitor();
    InitDrops();
    AddTrayIcon(MainWindow);
    StartSozu(MainWindow);
    const int exitCode = RunMessageLoop();
    ReleaseMutex(mutex);
    return exitCode;
}
