// Several monitors: which one holds the sozu, where its floor is there, and whether a free
// sozu can be seen at all. Portable; the Win32 side reads the monitors (Windows 98 and 2000
// on) and keeps the primary-screen rules where the system has no monitor calls (95, NT 4).
#pragma once
#include <cstdint>
#include "base/state.h"
#include "display/placement_plan.h"

// One monitor as the system reports it: its rectangle, its work area, which leaves out the
// taskbars and docked bars on it (every monitor has a taskbar on Windows 11), and its DPI
// (the system's one scale where the monitors cannot have their own).
struct MonitorArea {
    ScreenRect bounds;
    ScreenRect work;
    int32_t dpi;
};

// Systems with more monitors than this are read as far as this many.
constexpr int32_t MonitorCapacity = 16;

// The monitor that holds a rectangle, as MONITOR_DEFAULTTONEAREST picks it: the one it
// overlaps most (the first of equals), else the one nearest to it. -1 when there is none.
int32_t NearestMonitor(const ScreenRect& rect, const MonitorArea* monitors, int32_t count);

// The perch floor at spot (PlanPerch gives it the window's bottom-left pixel): the bottom of
// the work area of the monitor that holds the spot. A bottom taskbar (taskbar non-null) that
// lies on that monitor counts too, as on one screen: Wine leaves its own taskbar inside the
// work area. No monitors: the primary screen's floor, PerchFloor.
int32_t MonitorPerchFloor(const ScreenRect& spot, const MonitorArea* monitors, int32_t count,
                          uint8_t taskbarEdge, const ScreenRect* taskbar, int32_t screenHeight);

// Where a perched sozu stands beside a window (its visible rectangle), and at what scale.
// Both the floor (as MonitorPerchFloor) and the DPI are those of the monitor that holds the
// window's bottom-left pixel, never of the monitors under the sozu itself: where two monitors
// of different scales meet, the sozu's own size would otherwise decide which monitor holds
// most of it, and the new size the other, without end. No monitors: currentDpi.
struct PerchPlan {
    ScreenPoint at;
    int32_t dpi;    // held to 96..480
    int32_t side;
};
PerchPlan PlanPerch(const ScreenRect& beside, const MonitorArea* monitors, int32_t count,
                    uint8_t taskbarEdge, const ScreenRect* taskbar, int32_t screenHeight,
                    int32_t currentDpi);

// Where a free sozu of the given side with its top-left corner at `at` belongs: where it is
// when its centre lies on any monitor (edges included), else centred on the nearest monitor's
// whole rectangle, taskbars included, as on a single screen. With no monitors it stays where
// it is.
ScreenPoint OntoMonitors(ScreenPoint at, int32_t side, const MonitorArea* monitors,
                         int32_t count);

// A window as the full-screen check sees it (the window in front, or the one the perch would
// stand beside).
struct ForegroundFacts {
    bool exists;
    bool ours;         // the sozu, its menu or its dialog (the program's window thread's):
                       // the user is working with the program
    bool shell;        // the shell's desktop or taskbar
    bool captioned;    // has a title bar: a maximized captioned window is never full screen
    ScreenRect rect;
};

// Whether the window covers the whole rectangle of the monitor that holds it (the primary
// screen where no monitors are known) and is not the shell's, caption or not.
bool CoversItsMonitor(const ForegroundFacts& window, const MonitorArea* monitors, int32_t count,
                      const ScreenRect& primary);

// A window of the shell's own that may be in front without anything full screen: the desktop
// (Progman, WorkerW), the taskbar (Shell_TrayWnd), and the system's desktop window itself
// (#32769), which a click on an empty desktop brings to the front where no shell draws one (as
// in Wine's desktop); it is a captionless window of the whole screen.
bool ShellWindowClass(const char* className);

// Whether a window is a full-screen film, slide show or game: no caption, not the shell's, and
// covering the whole rectangle of the monitor that holds it (not its work area). With no
// monitors known (Windows 95, NT 4) the primary screen is that monitor. The look asks it of the
// window in front, the perch of the window it would stand beside: the two never disagree.
bool FullScreenWindow(const ForegroundFacts& window, const MonitorArea* monitors, int32_t count,
                      const ScreenRect& primary);

#ifdef _WIN32
#include <windows.h>
// Reads every monitor afresh (with MeasureScreenAndTaskbar: at start-up, on a display or
// work-area change). Where the system has no monitor calls the list stays empty.
void ReadMonitors();
// The monitors last read; count 0 where the system has none to tell.
const MonitorArea* KnownMonitors(int32_t& count);
// A free sozu whose centre lies on no monitor moves onto the nearest one and the new place
// is saved (start-up, a display change). Nothing happens in perched placement, nor where the
// monitors are unknown.
void KeepFreeSozuOnMonitors(HWND window, int32_t side);
// A window's facts for the full-screen check, read from the system (nothing for no window).
ForegroundFacts ReadWindowFacts(HWND window);
// The primary screen's rectangle, the monitor of last resort.
ScreenRect PrimaryScreen();
// Whether a window other than the sozu's own is full screen, by the rule above.
bool FullScreenOnItsMonitor(HWND window);
#endif
