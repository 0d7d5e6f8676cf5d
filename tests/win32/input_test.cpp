// The main window's input through its window procedure, on a plain window of a known
// rectangle: the cursor over each part, presses that tip or drag, Escape, the tray icon's
// callback and tooltip. The window runs no heartbeat; the click's timer is dispatched here.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <cstring>
#include <string>
#include "tests/win32/test_window.h"
#include "base/hooks.h"
#include "base/settings.h"
#include "display/taskbar.h"
#include "display/tray.h"
#include "base/window_win32.h"
#include "res/resource.h"
#include "sim/sim.h"
#include "display/placement.h"
#include "app/window_proc_win32.h"

namespace {

constexpr int Left = 300, Top = 200;
constexpr int Side = 48;

int TipSteps = 0;   // every tipping step ends by applying its frame's region

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return MainWindowProc(window, message, wParam, lParam);
}

// The program's icon to the shell, with nothing to change.
BOOL NotifyIcon(HWND window, DWORD operation) {
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    record.uID = TrayIconIdentifier;
    return Shell_NotifyIconA(operation, &record);
}

// Whether the shell still holds the icon: a modify that changes nothing fails for an icon
// that is not there.
bool TrayIconPresent(HWND window) { return NotifyIcon(window, NIM_MODIFY) != FALSE; }

// Takes the icon out of the shell, as an Explorer that ends takes every icon with it.
void DropTrayIcon(HWND window) { NotifyIcon(window, NIM_DELETE); }

// Whether a WM_NULL waits for the window; whatever else waits is dispatched.
bool NullWaiting(HWND window) {
    bool found = false;
    MSG msg;
    while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_NULL) found = true;
        else DispatchMessageA(&msg);
    }
    return found;
}

// Takes the quit message off the queue; answers whether one was there, and its exit code.
bool TakeQuit(WPARAM* code = nullptr) {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
    if (code) *code = msg.wParam;
    return true;
}

int SavedInt(const char* section, const char* key) {
    return static_cast<int>(GetPrivateProfileIntA(section, key, -1, SettingsPath));
}

class Input : public ::testing::Test {
protected:
    void SetUp() override {
        Instance = GetModuleHandleA(nullptr);
        CursorLadle = LoadCursorA(Instance, MAKEINTRESOURCEA(IDCUR_LADLE));
        CursorLadlePouring = LoadCursorA(Instance, MAKEINTRESOURCEA(IDCUR_LADLE_POURING));
        CursorHand = LoadCursorA(Instance, MAKEINTRESOURCEA(IDCUR_HAND));
        ASSERT_TRUE(CursorLadle && CursorLadlePouring && CursorHand);
        IconResting = static_cast<HICON>(
            LoadImageA(Instance, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
        MainMenu = LoadMenuA(Instance, MAKEINTRESOURCEA(IDR_MAINMENU));
        PopupMenu = GetSubMenu(MainMenu, 0);
        window = MakeTestWindow(Left, Top, Side, Side);
        ASSERT_NE(window, nullptr);
        MainWindow = window;
        SettingsFileIo(SettingsLoad);
        DeleteFileA(SettingsPath);
        AppSettings.WindowPos = {Left, Top, Left + Side, Top + Side};
        InteractionState = 0;
        Dragging = 0;
        AboutDialogOpen = 0;
        AboutDialogWindow = nullptr;
        ClickTip = 0;
        TipPhase = FrameIndex = TipCounter = 0;
        saved = Platform;
        TipSteps = 0;
        Platform.applyFrameRegion = [](WindowHandle) { ++TipSteps; };
    }
    void TearDown() override {
        Platform = saved;
        KillTimer(window, ClickTipTimer);
        DestroyWindow(window);
        DestroyMenu(MainMenu);
        DeleteFileA(SettingsPath);
        AppSettings.PositionMode = 0;
    }
    // The pointer at a point of the window, as WM_SETCURSOR and the presses read it.
    void PointerAt(int x, int y) { SetCursorPos(Left + x, Top + y); }
    LPARAM ScreenPoint(int x, int y) { return MAKELPARAM(Left + x, Top + y); }
    void Press(int x, int y, UINT message = WM_NCLBUTTONDOWN) {
        PointerAt(x, y);
        Send(window, message, HTCAPTION, ScreenPoint(x, y));
    }
    HWND window = nullptr;
    PlatformHooks saved = {};
};

TEST_F(Input, CursorFollowsTheBandThePlacementAndTheTip) {
    const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    struct Case {
        const char* what;
        uint8_t interaction, positionMode, clickTip;
        int y;
        HCURSOR cursor;
        bool dragEnds;
    } cases[] = {
        {"menu open", 2, 1, 0, 40, arrow, false},
        {"upper band, free", 0, 1, 0, 23, CursorLadle, false},
        {"upper band while a click's tip runs", 1, 2, 1, 0, CursorLadlePouring, false},
        {"lower part, perched", 0, 0, 0, 24, CursorLadle, false},
        {"lower part, perched, a click's tip", 0, 0, 1, 47, CursorLadlePouring, false},
        {"lower part, free: the drag handle", 0, 1, 1, 24, CursorHand, true},
        {"lower part, free and on top", 1, 2, 0, 47, CursorHand, true},
        {"lower part, a hand-edited posmode 3", 0, 3, 0, 30, CursorHand, true},
        {"lower part, a hand-edited posmode 255", 0, 255, 1, 31, CursorHand, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        InteractionState = c.interaction;
        AppSettings.PositionMode = c.positionMode;
        ClickTip = c.clickTip;
        Dragging = 1;
        // Moved since the position was last written: the handle writes the left edge only.
        AppSettings.WindowPos.left = Left - 10;
        DeleteFileA(SettingsPath);
        PointerAt(20, c.y);
        SetCursor(nullptr);
        EXPECT_EQ(Send(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                       MAKELPARAM(HTCAPTION, WM_MOUSEMOVE)),
                  0);
        EXPECT_EQ(GetCursor(), c.cursor);
        EXPECT_EQ(Dragging, c.dragEnds ? 0 : 1);
        EXPECT_EQ(SavedInt("Winpos", "Xpos"), c.dragEnds ? Left : -1);
        EXPECT_EQ(SavedInt("Winpos", "Ypos"), -1);
        EXPECT_EQ(AppSettings.WindowPos.left, c.dragEnds ? Left : Left - 10);
    }
}

TEST_F(Input, PressesInTheLowerPartDragInEveryFreePlacement) {
    struct Case {
        uint8_t positionMode;
        int y;
        bool drags;
    } cases[] = {{0, 40, false}, {1, 24, false}, {1, 25, true}, {2, 47, true},
                 {3, 25, true},  {255, 40, true}, {3, 24, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.positionMode) + " at row " + std::to_string(c.y));
        AppSettings.PositionMode = c.positionMode;
        Dragging = 0;
        InteractionState = 0;
        SetWindowPos(window, nullptr, Left, Top, Side, Side, SWP_NOZORDER | SWP_NOACTIVATE);
        Press(20, c.y);
        EXPECT_EQ(Dragging, c.drags ? 1 : 0);
        // A tip press starts the click's timer and moves the interaction state on.
        EXPECT_EQ(KillTimer(window, ClickTipTimer) != FALSE, !c.drags);
        EXPECT_EQ(InteractionState, c.drags ? 0 : 1);
        RECT r = {};
        GetWindowRect(window, &r);
        // A drag puts the pointer at window point (42, 42).
        EXPECT_EQ(r.left, c.drags ? Left + 20 - 42 : Left);
        EXPECT_EQ(r.top, c.drags ? Top + c.y - 42 : Top);
    }
}

TEST_F(Input, DoubleClickFromRestTipsOnce) {
    // The second press of a double click arrives as WM_NCLBUTTONDBLCLK, which the default
    // procedure takes: one tip, 128 ms after the first press.
    Press(20, 10);
    Press(20, 10, WM_NCLBUTTONDBLCLK);
    const DWORD pressed = GetTickCount();
    ASSERT_TRUE(PumpUntil([] { return TipSteps > 0; }, 5000));
    EXPECT_GE(GetTickCount() - pressed, 100u);
    EXPECT_EQ(FrameIndex, 3);
    EXPECT_EQ(ClickTip, 1);
    PumpUntil([] { return false; }, 500);   // four more periods of the click's timer
    EXPECT_EQ(TipSteps, 1);
    // Single presses while the timer is pending restart it: still one tip.
    TipSteps = 0;
    Press(20, 10);
    Press(20, 10);
    Press(20, 10);
    ASSERT_TRUE(PumpUntil([] { return TipSteps > 0; }, 5000));
    PumpUntil([] { return false; }, 500);
    EXPECT_EQ(TipSteps, 1);
}

TEST_F(Input, PressLateInATipStartsItAgainAtFrameThree) {
    // A tip on its way back, frame 5 shown, three steps of the swing counted.
    TipPhase = 1;
    FrameIndex = 1;
    while (!(TipPhase == 8 && TipCounter == 4)) TipStep(false, window);
    ASSERT_EQ(FrameIndex, 5);
    ClickTip = 0;
    TipSteps = 0;
    Press(20, 40);   // perched: a press anywhere tips
    ASSERT_TRUE(PumpUntil([] { return TipSteps > 0; }, 5000));
    EXPECT_EQ(FrameIndex, 3);
    EXPECT_EQ(TipPhase, 3);
    EXPECT_EQ(ClickTip, 1);
    // The counter is kept, so the restarted tip holds frame 7 for one step instead of four:
    // 4, 5, 6, 7, then 8, the swing back to 3 and once more 3, the strike, the rebound, rest.
    EXPECT_EQ(TipCounter, 4);
    int steps = 0;
    while (TipPhase != 0 && steps < 40) {
        TipStep(false, window);
        ++steps;
    }
    EXPECT_EQ(steps, 15);
    EXPECT_EQ(ClickTip, 0);
}

TEST_F(Input, EscapeQuitsAtOnceTakingTheTrayIconAndSavingNothing) {
    AddTrayIcon(window);
    ASSERT_TRUE(TrayIconPresent(window));
    EXPECT_EQ(Send(window, WM_KEYDOWN, 'A', 1), 0);   // other keys do nothing
    EXPECT_FALSE(TakeQuit());
    EXPECT_TRUE(TrayIconPresent(window));
    EXPECT_EQ(Send(window, WM_KEYDOWN, VK_ESCAPE, 1), 0);
    WPARAM code = 1;
    EXPECT_TRUE(TakeQuit(&code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(TrayIconPresent(window));
    EXPECT_TRUE(IsWindow(window));   // not destroyed: nothing of the shutdown ran
    EXPECT_EQ(GetFileAttributesA(SettingsPath), INVALID_FILE_ATTRIBUTES);
    ShowCursor(FALSE);   // Escape showed it once more
    RemoveTrayIcon();
}

// Closes the popup menu the tray callback opened, from inside the menu's own loop.
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    EndMenu();
}

TEST_F(Input, TrayCallbackOpensTheMenuOnlyOnAPressOfItsIcon) {
    HWND about = MakeTestWindow(100, 100, 200, 100);
    struct Case {
        const char* what;
        WPARAM id;
        LPARAM mouse;
        bool aboutOpen, opens;
    } cases[] = {
        {"left press", TrayIconIdentifier, WM_LBUTTONDOWN, false, true},
        {"right press", TrayIconIdentifier, WM_RBUTTONDOWN, false, true},
        {"another identifier", TrayIconIdentifier + 1, WM_LBUTTONDOWN, false, false},
        {"left release", TrayIconIdentifier, WM_LBUTTONUP, false, false},
        {"right release", TrayIconIdentifier, WM_RBUTTONUP, false, false},
        {"move", TrayIconIdentifier, WM_MOUSEMOVE, false, false},
        {"double click", TrayIconIdentifier, WM_LBUTTONDBLCLK, false, false},
        {"middle press", TrayIconIdentifier, WM_MBUTTONDOWN, false, false},
        {"left press with the about dialog open", TrayIconIdentifier, WM_LBUTTONDOWN, true,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        InteractionState = 0;
        AboutDialogOpen = c.aboutOpen ? 1 : 0;
        AboutDialogWindow = c.aboutOpen ? about : nullptr;
        const UINT_PTR closer = SetTimer(nullptr, 0, 100, CloseMenu);
        EXPECT_EQ(Send(window, TrayCallbackMessage, c.id, c.mouse), 0);
        KillTimer(nullptr, closer);
        // The menu is tracked with InteractionState 2; this window takes no WM_EXITMENULOOP.
        EXPECT_EQ(InteractionState, c.opens ? 2 : 0);
        // Windows wants a message to the window after a notification icon's menu, or the
        // next one may close at once.
        EXPECT_EQ(NullWaiting(window), c.opens);
    }
    DestroyWindow(about);
}

TEST_F(Input, ExplorerTheDisplayAndTheWorkAreaMeasureTheScreenAndTaskbarAgain) {
    const UINT taskbarCreated = RegisterWindowMessageA(TaskbarCreatedMessageName);
    ASSERT_NE(taskbarCreated, 0u);
    HWND gone = MakeTestWindow(0, 0, 10, 10);
    DestroyWindow(gone);   // the handle of a taskbar whose Explorer ended
    struct Case {
        const char* what;
        UINT registered, message;
        WPARAM wParam;
        bool measures, restoresIcon;
    } cases[] = {
        {"Explorer restarted", taskbarCreated, taskbarCreated, 0, true, true},
        {"new resolution", taskbarCreated, WM_DISPLAYCHANGE, 32, true, false},
        {"work area changed", taskbarCreated, WM_SETTINGCHANGE, SPI_SETWORKAREA, true, false},
        {"another setting", taskbarCreated, WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, false, false},
        {"the menu's WM_NULL", taskbarCreated, WM_NULL, 0, false, false},
        {"WM_NULL before registration", 0, WM_NULL, 0, false, false},
    };
    AddTrayIcon(window);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TaskbarCreatedMessage = c.registered;
        DropTrayIcon(window);
        ASSERT_FALSE(TrayIconPresent(window));
        ScreenHeight = -1;
        TaskbarWindow = gone;
        TaskbarEdge = TaskbarSide;
        EXPECT_EQ(Send(window, c.message, c.wParam, 0), 0);
        EXPECT_EQ(TrayIconPresent(window), c.restoresIcon);
        // The session's desktop: 768 rows, the taskbar along the bottom.
        EXPECT_EQ(ScreenHeight, c.measures ? GetSystemMetrics(SM_CYSCREEN) : -1);
        EXPECT_EQ(TaskbarWindow, c.measures ? FindWindowA("Shell_TrayWnd", nullptr) : gone);
        EXPECT_EQ(TaskbarEdge, c.measures ? TaskbarBottom : TaskbarSide);
    }
    EXPECT_NE(FindWindowA("Shell_TrayWnd", nullptr), nullptr);
    DropTrayIcon(window);
    TaskbarCreatedMessage = 0;
    TaskbarWindow = nullptr;
}

TEST_F(Input, StartupTooltipSaysWhetherTheUsageIsKnown) {
    struct Case {
        int32_t unavailable;
        const char* tip;
    } cases[] = {{0, "Tsutsuri"}, {1, "Tsutsuri [CPU使用率：不明]"}};
    for (const auto& c : cases) {
        CpuMonitorUnavailable = c.unavailable;
        std::memset(TrayTip, 'x', sizeof TrayTip);
        AddTrayIcon(window);
        EXPECT_STREQ(TrayTip, c.tip);
        EXPECT_EQ(TrayIconId, IDI_APP);
        EXPECT_TRUE(TrayIconPresent(window));
        RemoveTrayIcon();
    }
    // "不明" and the full-width colon in code page 932.
    EXPECT_EQ(std::memcmp(TrayTip + 19, "\x81\x46\x95\x73\x96\xBE]", 8), 0);
    CpuMonitorUnavailable = 0;
}

}  // namespace
