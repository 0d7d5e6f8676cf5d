// Perching beside real windows of known rectangles.
#include <gtest/gtest.h>
#include <windows.h>
#include "tests/win32/test_window.h"
#include "base/settings.h"
#include "display/taskbar.h"
#include "base/window_win32.h"
#include "display/placement.h"
#include "app/window_proc_win32.h"

namespace {

HWND MakeWindow(const char* title, int left, int top, int right, int bottom, DWORD exStyle = 0) {
    return MakeTestWindow(left, top, right - left, bottom - top, exStyle, title);
}

RECT RectOf(HWND w) {
    RECT r = {};
    GetWindowRect(w, &r);
    return r;
}

class PlacementTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppSettings = {};
        AboutDialogOpen = 0;
        ScreenHeight = 768;
        TaskbarWindow = nullptr;
        TaskbarEdge = 1;
        sozu = MakeWindow("sozu", 500, 500, 548, 548, WS_EX_TOOLWINDOW);
        ASSERT_NE(sozu, nullptr);
    }
    void TearDown() override {
        for (HWND w : {sozu, front, bar, back, hidden}) if (w) DestroyWindow(w);
        PerchTarget = nullptr;
        TaskbarWindow = nullptr;
    }
    void Front(int l, int t, int r, int b) {
        front = MakeWindow("front", l, t, r, b);
        ShowWindow(front, SW_SHOW);
        SetForegroundWindow(front);
        Pump();
        ASSERT_EQ(GetForegroundWindow(), front);
    }
    void ExpectSozuAt(int left, int top) {
        const RECT r = RectOf(sozu);
        EXPECT_EQ(r.left, left);
        EXPECT_EQ(r.top, top);
        EXPECT_EQ(r.right - r.left, 48);
        EXPECT_EQ(r.bottom - r.top, 48);
    }
    HWND sozu = nullptr, front = nullptr, bar = nullptr, back = nullptr, hidden = nullptr;
};

}  // namespace

TEST_F(PlacementTest, PerchesOnTheForegroundWindowsBottomLeftCorner) {
    Front(200, 150, 600, 450);
    PerchBesideForeground(sozu);
    ExpectSozuAt(152, 402);
    EXPECT_EQ(PerchTarget, front);
    EXPECT_TRUE(IsWindowVisible(sozu));
    EXPECT_TRUE(GetWindowLongA(sozu, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetForegroundWindow(), front);   // shown without being activated
}

TEST_F(PlacementTest, StandsOnABottomTaskbarReadEachTick) {
    bar = MakeWindow("bar", 0, 720, 1024, 768);
    TaskbarWindow = bar;
    TaskbarEdge = 2;
    Front(300, 100, 700, 760);
    PerchBesideForeground(sozu);
    ExpectSozuAt(252, 672);
    MoveWindow(bar, 0, 740, 1024, 28, FALSE);   // the taskbar shrank
    PerchBesideForeground(sozu);
    ExpectSozuAt(252, 692);
}

TEST_F(PlacementTest, WithoutATaskbarTheFloorIsTheScreensBottom) {
    TaskbarEdge = 2;   // classified as bottom, but the window is gone
    Front(96, -4, 1028, 900);
    PerchBesideForeground(sozu);
    ExpectSozuAt(48, 720);
}

// Beside a film in full screen the sozu would stand off the screen's edge: it stays put.
TEST_F(PlacementTest, NeverBesideAFullScreenWindow) {
    Front(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    PerchBesideForeground(sozu);
    ExpectSozuAt(500, 500);
    EXPECT_NE(PerchTarget, front);
}

TEST_F(PlacementTest, FreePlacementsAndTheAboutDialogLeaveTheWindowAlone) {
    Front(200, 150, 600, 450);
    struct Case { uint8_t mode; int32_t about; } cases[] = {{1, 0}, {2, 0}, {0, 1}};
    for (const auto& c : cases) {
        AppSettings.PositionMode = c.mode;
        AboutDialogOpen = c.about;
        PerchBesideForeground(sozu);
        ExpectSozuAt(500, 500);
        EXPECT_FALSE(IsWindowVisible(sozu));
    }
}

TEST_F(PlacementTest, ClickedSozuStaysWithItsWindowWhileItExists) {
    Front(200, 150, 600, 450);
    PerchBesideForeground(sozu);
    SetForegroundWindow(sozu);
    Pump();
    if (GetForegroundWindow() != sozu) GTEST_SKIP() << "this desktop would not activate it";
    MoveWindow(front, 250, 150, 400, 300, FALSE);
    PerchBesideForeground(sozu);
    ExpectSozuAt(202, 402);
    EXPECT_EQ(PerchTarget, front);

    // Its window closed: the next window shown below the sozu becomes the target, not a
    // hidden one (a hidden topmost window, as the taskbar's tooltip is, lies right below it).
    back = MakeWindow("back", 100, 200, 500, 500);
    ShowWindow(back, SW_SHOWNOACTIVATE);
    SetWindowPos(back, front, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    hidden = MakeWindow("hidden", 0, 0, 0, 0, WS_EX_TOPMOST);
    SetWindowPos(hidden, sozu, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    DestroyWindow(front);
    front = nullptr;
    SetForegroundWindow(sozu);
    Pump();
    ASSERT_EQ(GetForegroundWindow(), sozu);
    ASSERT_EQ(GetWindow(sozu, GW_HWNDNEXT), hidden);
    PerchBesideForeground(sozu);
    EXPECT_EQ(PerchTarget, back);
    ExpectSozuAt(52, 452);
}

// Whether window a stands above window b in the z-order.
bool Above(HWND a, HWND b) {
    for (HWND w = GetWindow(b, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) {
        if (w == a) return true;
    }
    return false;
}

// A topmost window that rises over the sozu without taking the front (a notification's): the
// look at the z-order, once a second, finds it, and the sozu takes the top again.
TEST_F(PlacementTest, TakesTheTopAgainFromAWindowThatRoseWithoutTheFront) {
    Front(200, 150, 600, 450);
    PerchBesideForeground(sozu);
    back = MakeWindow("toast", 100, 350, 300, 500, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    // Wine may restack the windows as the display's events for them arrive, late on a loaded
    // machine: the toast is raised again until it stands above the sozu.
    ASSERT_TRUE(PumpUntil(
        [&] {
            SetWindowPos(back, HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
            return Above(back, sozu);
        },
        2000));
    ASSERT_EQ(GetForegroundWindow(), front);
    for (int step = 0; step < 12 && Above(back, sozu); ++step) {
        Sleep(128);
        PerchBesideForeground(sozu);
    }
    EXPECT_TRUE(Above(sozu, back));
    ExpectSozuAt(152, 402);
}

// Explorer announces a moved taskbar with a new work area. A stand-in of the taskbar's class,
// in front of the session's own, moves from edge to edge; each time the sozu perched beside a
// window that reaches below the screen stands on the new floor, never at the old bar's top.
// The monitor's work area (the floor where the system tells monitors) still leaves out the
// session's own taskbar, which does not move: off the bottom, the floor is that work area's.
TEST_F(PlacementTest, ATaskbarMovedToAnotherEdgeIsFoundWithTheNewWorkArea) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromWindow(sozu, MONITOR_DEFAULTTOPRIMARY), &monitor));
    const int workFloor = monitor.rcWork.bottom < 768 ? monitor.rcWork.bottom : 768;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "Shell_TrayWnd";
    RegisterClassA(&wc);
    bar = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP, 0,
                          720, 1024, 48, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_EQ(FindWindowA("Shell_TrayWnd", nullptr), bar);
    Front(300, 100, 700, 800);
    struct Case {
        const char* what;
        RECT rect;
        uint8_t edge;
        int sozuTop;
    } cases[] = {
        {"bottom", {0, 720, 1024, 768}, TaskbarBottom, 672},
        {"left", {0, 0, 60, 768}, TaskbarSide, workFloor - 48},
        {"top", {0, 0, 1024, 40}, TaskbarTop, workFloor - 48},
        {"right", {964, 0, 1024, 768}, TaskbarSide, workFloor - 48},
        {"bottom again, taller", {0, 700, 1024, 768}, TaskbarBottom, 652},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const RECT& r = c.rect;
        MoveWindow(bar, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
        EXPECT_EQ(MainWindowProc(sozu, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0), 0);
        EXPECT_EQ(TaskbarWindow, bar);
        EXPECT_EQ(TaskbarEdge, c.edge);
        EXPECT_EQ(ScreenHeight, 768);
        PerchBesideForeground(sozu);
        ExpectSozuAt(252, c.sozuTop);
    }
}
