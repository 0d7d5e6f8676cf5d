// The monitors, read through calls that Windows 95 and NT 4 lack: looked up at run time, so
// that the program still starts there (with no monitors known, and the primary screen's rules).
#include "display/monitors.h"
#include "base/settings.h"
#include "base/system_win32.h"
#include "display/scale_win32.h"

namespace {

using EnumDisplayMonitorsCall = BOOL(WINAPI*)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
using GetMonitorInfoCall = BOOL(WINAPI*)(HMONITOR, MONITORINFO*);

SystemCallSlot EnumDisplayMonitorsSlot = {User32Library, "EnumDisplayMonitors",
                                          LibrarySource::AlreadyLoaded, false, nullptr};
SystemCallSlot GetMonitorInfoSlot = {User32Library, "GetMonitorInfoA",
                                     LibrarySource::AlreadyLoaded, false, nullptr};

MonitorArea Monitors[MonitorCapacity];
int32_t MonitorCount = 0;

ScreenRect FromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
    const auto info = SystemCall<GetMonitorInfoCall>(GetMonitorInfoSlot);
    MONITORINFO mi = {};
    mi.cbSize = sizeof mi;
    if (info && info(monitor, &mi)) {
        Monitors[MonitorCount++] = {FromRect(mi.rcMonitor), FromRect(mi.rcWork),
                                    MonitorDpi(monitor)};
    }
    return MonitorCount < MonitorCapacity;
}

}  // namespace

void ReadMonitors() {
    MonitorCount = 0;
    const auto enumerate = SystemCall<EnumDisplayMonitorsCall>(EnumDisplayMonitorsSlot);
    if (enumerate && SystemCall<GetMonitorInfoCall>(GetMonitorInfoSlot)) {
        enumerate(nullptr, nullptr, AddMonitor, 0);
    }
}

const MonitorArea* KnownMonitors(int32_t& count) {
    count = MonitorCount;
    return Monitors;
}

void KeepFreeSozuOnMonitors(HWND window, int32_t side) {
    if (!FreePlacement(AppSettings.PositionMode) || MonitorCount == 0) return;
    RECT r;
    if (!GetWindowRect(window, &r)) return;
    const ScreenPoint at = OntoMonitors({r.left, r.top}, side, Monitors, MonitorCount);
    if (at.x == r.left && at.y == r.top) return;
    SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    AppSettings.WindowPos = {at.x, at.y, at.x + side, at.y + side};
    SaveWindowLeft(at.x);
    SaveWindowTop(at.y);
}

ForegroundFacts ReadWindowFacts(HWND window) {
    ForegroundFacts facts = {};
    RECT r = {};
    if (!window || !GetWindowRect(window, &r)) return facts;
    facts.exists = true;
    // The sozu, its menu and its dialog are all made by the one thread that runs the program.
    facts.ours = GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
    char className[16] = {};   // long enough for the shell's names; longer ones are cut
    GetClassNameA(window, className, sizeof className);
    facts.shell = ShellWindowClass(className);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    facts.captioned = (style & WS_CAPTION) == WS_CAPTION;
    facts.rect = {r.left, r.top, r.right, r.bottom};
    return facts;
}

ScreenRect PrimaryScreen() {
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

bool FullScreenOnItsMonitor(HWND window) {
    int32_t count = 0;
    const MonitorArea* monitors = KnownMonitors(count);
    return FullScreenWindow(ReadWindowFacts(window), monitors, count, PrimaryScreen());
}
