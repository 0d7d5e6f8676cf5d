// Perching: each heartbeat tick the sozu moves beside the window in front.
#include "display/placement.h"
#include "display/monitors.h"
#include "display/placement_plan.h"
#include "base/settings.h"
#include "base/system_win32.h"
#include "display/taskbar.h"
#include "base/window_win32.h"
#include "base/scale.h"
#include "display/scale_win32.h"

HWND PerchTarget = nullptr;
HWND TaskbarWindow = nullptr;
uint8_t TaskbarEdge = 0;
int32_t ScreenHeight = 0;

namespace {

// The desktop window manager's attribute query, in dwmapi.dll from Vista on. Looked up at run
// time, once, so that the program still starts where there is no such library (95 to XP).
using DwmGetWindowAttributeFunction = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);
constexpr char DwmLibrary[] = "dwmapi.dll";
constexpr char DwmAttributeFunctionName[] = "DwmGetWindowAttribute";
constexpr DWORD DwmExtendedFrameBounds = 9;   // DWMWA_EXTENDED_FRAME_BOUNDS: a RECT
constexpr DWORD DwmCloaked = 14;              // DWMWA_CLOAKED: a DWORD, non-zero when cloaked

SystemCallSlot DwmAttributeSlot = {DwmLibrary, DwmAttributeFunctionName,
                                   LibrarySource::SystemFolder, false, nullptr};

DwmGetWindowAttributeFunction DwmAttributeQuery() {
    return SystemCall<DwmGetWindowAttributeFunction>(DwmAttributeSlot);
}

// The perch's last call to the window manager (its decision: display/placement_plan.h).
PerchAssertion LastPerchCall = {};

// The full-screen verdict on the last candidate. The check asks the window server four times
// about another process's window, so it is made again only when the candidate or its place
// changed, or once the verdict is a second old (a monitor may have changed meanwhile).
struct CandidateVerdict {
    HWND window;
    ScreenRect rect;
    uint32_t atMs;
    bool fullScreen;
};
CandidateVerdict LastCandidate = {};

bool CandidateFullScreen(HWND candidate, const ScreenRect& rect, uint32_t now) {
    const ScreenRect& was = LastCandidate.rect;
    const bool same = candidate == LastCandidate.window && rect.left == was.left &&
                      rect.top == was.top && rect.right == was.right &&
                      rect.bottom == was.bottom && now - LastCandidate.atMs < PerchReassertMs;
    if (!same) LastCandidate = {candidate, rect, now, FullScreenOnItsMonitor(candidate)};
    return LastCandidate.fullScreen;
}

bool ReadRect(HWND window, ScreenRect& out) {
    RECT r;
    if (!window || !GetWindowRect(window, &r)) return false;
    out = {r.left, r.top, r.right, r.bottom};
    return true;
}

// The window rectangle less the invisible resize borders, where the window manager says so.
bool ReadVisibleRect(HWND window, ScreenRect& out) {
    if (!ReadRect(window, out)) return false;
    const DwmGetWindowAttributeFunction query = DwmAttributeQuery();
    RECT r;
    if (!query || FAILED(query(window, DwmExtendedFrameBounds, &r, sizeof r))) return true;
    const ScreenRect frame = {r.left, r.top, r.right, r.bottom};
    out = VisibleFrame(out, &frame);
    return true;
}

// A cloaked window (on another virtual desktop, or a suspended app) counts as visible to
// IsWindowVisible, but the user cannot see it.
bool Cloaked(HWND window) {
    const DwmGetWindowAttributeFunction query = DwmAttributeQuery();
    DWORD cloaked = 0;
    return query && SUCCEEDED(query(window, DwmCloaked, &cloaked, sizeof cloaked)) && cloaked != 0;
}

bool SeenByUser(HWND window) { return IsWindowVisible(window) && !Cloaked(window); }

// The bottom taskbar is read afresh each tick: it may have grown, shrunk or hidden itself.
// The monitors are not: they change only with a display, work-area or scale change.
PerchPlan CurrentPlan(const ScreenRect& beside) {
    ScreenRect bar;
    const bool haveBar = TaskbarEdge == TaskbarBottom && ReadRect(TaskbarWindow, bar);
    int32_t count = 0;
    const MonitorArea* monitors = KnownMonitors(count);
    return PlanPerch(beside, monitors, count, TaskbarEdge, haveBar ? &bar : nullptr, ScreenHeight,
                     DisplayScale.dpi);
}

// The window the user sees below the sozu. Hidden windows stand in the z-order too (the
// taskbar's idle tooltip, which is topmost like the sozu, and every program's IME window);
// perching beside one would put the sozu at its empty rectangle, off the screen's corner.
// Cloaked windows are passed over for the same reason. The foreground window is taken as it
// is: it is the window the user works in, which the window manager shows.
HWND NextShownBelow(HWND window) {
    for (HWND w = GetWindow(window, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (SeenByUser(w)) return w;
    }
    return nullptr;
}

// A shown window above the sozu over its rectangle, walking up the z-order from the sozu (a
// sozu on top has nothing above it: one question). Hidden and cloaked windows cover nothing
// the user sees. A z-order too deep to walk counts as covered: the sozu takes its place again.
constexpr int MaxWindowsAbove = 64;
bool CoveredByAnother(HWND window, const ScreenRect& own) {
    const RECT sozu = {own.left, own.top, own.right, own.bottom};
    int walked = 0;
    for (HWND w = GetWindow(window, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) {
        if (++walked > MaxWindowsAbove) return true;
        RECT r, common;
        if (SeenByUser(w) && GetWindowRect(w, &r) && IntersectRect(&common, &r, &sozu)) return true;
    }
    return false;
}

}  // namespace

void MeasureScreenAndTaskbar() {
    ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    TaskbarWindow = FindWindowA("Shell_TrayWnd", nullptr);
    RECT r = {};
    GetWindowRect(TaskbarWindow, &r);   // no taskbar leaves an empty rectangle: a side bar
    TaskbarEdge = ClassifyTaskbar({r.left, r.top, r.right, r.bottom});
    ReadMonitors();
}

void PerchBesideForeground(HWND window) {
    // Hidden for a full-screen window, the sozu keeps its place: beside that window it would
    // stand off the screen's edge when it shows again.
    if (FreePlacement(AppSettings.PositionMode) || AboutDialogOpen == 1 || SozuHiddenForBusy)
        return;
    ScreenRect own;
    if (!ReadRect(window, own)) return;
    ScreenPoint planned = {own.left, own.top};
    const uint32_t now = GetTickCount();

    HWND foreground = GetForegroundWindow();
    HWND below = nullptr;
    bool targetAlive = false;
    if (foreground == window) {
        targetAlive = PerchTarget && IsWindow(PerchTarget);
        if (!targetAlive) below = NextShownBelow(window);
    }
    const PerchChoice choice =
        ChoosePerchCandidate(foreground, window, PerchTarget, targetAlive, below);
    PerchTarget = static_cast<HWND>(choice.perchTarget);
    HWND candidate = static_cast<HWND>(choice.candidate);

    ScreenRect rect;
    // Never beside a full-screen window, by the rule that makes the sozu busy: there it would
    // stand off the screen or at the neighbouring monitor's edge. It stays where it was.
    if (candidate && candidate != window && ReadVisibleRect(candidate, rect) &&
        !CandidateFullScreen(candidate, rect, now)) {
        PerchTarget = candidate;
        const PerchPlan plan = CurrentPlan(rect);
        if (plan.dpi != DisplayScale.dpi) ApplyDisplayScale(window, plan.dpi);
        planned = plan.at;
    }
    const ScreenRect target = {planned.x, planned.y, planned.x + DisplayScale.side,
                               planned.y + DisplayScale.side};
    const bool topmost = (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    const bool covered = PerchLookDue(LastPerchCall, now) && CoveredByAnother(window, own);
    const PerchFacts facts = {own, target, IsWindowVisible(window) != FALSE, topmost, foreground,
                              covered};
    if (!PerchMoveNeeded(LastPerchCall, facts, now)) return;
    SetWindowPos(window, HWND_TOPMOST, planned.x, planned.y, DisplayScale.side, DisplayScale.side,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
}
