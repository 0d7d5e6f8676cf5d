#include "display/monitors.h"
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include "display/taskbar.h"
#include "base/scale.h"

namespace {

int32_t Larger(int32_t a, int32_t b) { return a > b ? a : b; }
int32_t Smaller(int32_t a, int32_t b) { return a < b ? a : b; }

// The area two rectangles share; 0 when they do not overlap.
int64_t OverlapArea(const ScreenRect& a, const ScreenRect& b) {
    const int64_t width = int64_t{Smaller(a.right, b.right)} - Larger(a.left, b.left);
    const int64_t height = int64_t{Smaller(a.bottom, b.bottom)} - Larger(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

// How far apart two spans are along one axis; 0 when they touch or overlap.
int64_t Gap(int32_t aStart, int32_t aEnd, int32_t bStart, int32_t bEnd) {
    const int64_t after = int64_t{bStart} - aEnd;
    const int64_t before = int64_t{aStart} - bEnd;
    return after > 0 ? after : before > 0 ? before : 0;
}

// The squared length of the shortest gap between two rectangles; 0 when they touch. A
// hand-edited position may lie anywhere in 32 bits, so a gap's square may not fit 64.
double GapSquared(const ScreenRect& a, const ScreenRect& b) {
    const double dx = static_cast<double>(Gap(a.left, a.right, b.left, b.right));
    const double dy = static_cast<double>(Gap(a.top, a.bottom, b.top, b.bottom));
    return dx * dx + dy * dy;
}

// The far edge of a sozu whose near edge is at `from`, kept within 32 bits.
int32_t FarEdge(int32_t from, int32_t side) {
    return from > INT32_MAX - side ? INT32_MAX : from + side;
}

// The one-pixel rectangle at a window's bottom-left corner, inside the window.
ScreenRect BottomLeftPixel(const ScreenRect& window) {
    const int32_t top = window.bottom > INT32_MIN ? window.bottom - 1 : window.bottom;
    return {window.left, top, FarEdge(window.left, 1), FarEdge(top, 1)};
}

// The floor on one monitor, or on the primary screen where none is known.
int32_t FloorOf(const MonitorArea* monitor, uint8_t taskbarEdge, const ScreenRect* taskbar,
                int32_t screenHeight) {
    if (!monitor) return PerchFloor(taskbarEdge, taskbar, screenHeight);
    int32_t floor = monitor->work.bottom;
    if (taskbarEdge == TaskbarBottom && taskbar && OverlapArea(*taskbar, monitor->bounds) > 0) {
        floor = Smaller(floor, taskbar->top);
    }
    return floor;
}

}  // namespace

int32_t NearestMonitor(const ScreenRect& rect, const MonitorArea* monitors, int32_t count) {
    int32_t best = -1;
    int64_t bestOverlap = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int64_t overlap = OverlapArea(rect, monitors[i].bounds);
        if (overlap > bestOverlap) {
            best = i;
            bestOverlap = overlap;
        }
    }
    if (best >= 0) return best;
    double bestGap = 0;
    for (int32_t i = 0; i < count; ++i) {
        const double gap = GapSquared(rect, monitors[i].bounds);
        if (best < 0 || gap < bestGap) {
            best = i;
            bestGap = gap;
        }
    }
    return best;
}

int32_t MonitorPerchFloor(const ScreenRect& spot, const MonitorArea* monitors, int32_t count,
                          uint8_t taskbarEdge, const ScreenRect* taskbar, int32_t screenHeight) {
    const int32_t held = NearestMonitor(spot, monitors, count);
    return FloorOf(held < 0 ? nullptr : &monitors[held], taskbarEdge, taskbar, screenHeight);
}

PerchPlan PlanPerch(const ScreenRect& beside, const MonitorArea* monitors, int32_t count,
                    uint8_t taskbarEdge, const ScreenRect* taskbar, int32_t screenHeight,
                    int32_t currentDpi) {
    const ScreenRect corner = BottomLeftPixel(beside);
    const int32_t held = NearestMonitor(corner, monitors, count);
    const MonitorArea* monitor = held < 0 ? nullptr : &monitors[held];
    const int32_t dpi = HeldDpi(monitor ? monitor->dpi : currentDpi);
    const int32_t side = SozuSideForDpi(dpi);
    const int32_t floor = FloorOf(monitor, taskbarEdge, taskbar, screenHeight);
    return {PerchPosition(beside, floor, side), dpi, side};
}

ScreenPoint OntoMonitors(ScreenPoint at, int32_t side, const MonitorArea* monitors,
                         int32_t count) {
    const int64_t cx = int64_t{at.x} + side / 2;
    const int64_t cy = int64_t{at.y} + side / 2;
    for (int32_t i = 0; i < count; ++i) {
        const ScreenRect& b = monitors[i].bounds;
        if (cx >= b.left && cx <= b.right && cy >= b.top && cy <= b.bottom) return at;
    }
    const ScreenRect sozu = {at.x, at.y, FarEdge(at.x, side), FarEdge(at.y, side)};
    const int32_t nearest = NearestMonitor(sozu, monitors, count);
    if (nearest < 0) return at;
    // Signed division, truncating toward zero, for a monitor smaller than the sozu too.
    const ScreenRect& whole = monitors[nearest].bounds;
    return {whole.left + (whole.right - whole.left - side) / 2,
            whole.top + (whole.bottom - whole.top - side) / 2};
}

namespace {

bool Covers(const ScreenRect& outer, const ScreenRect& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

}  // namespace

bool CoversItsMonitor(const ForegroundFacts& window, const MonitorArea* monitors, int32_t count,
                      const ScreenRect& primary) {
    if (!window.exists || window.shell) return false;
    const int32_t held = NearestMonitor(window.rect, monitors, count);
    return Covers(window.rect, held < 0 ? primary : monitors[held].bounds);
}

bool ShellWindowClass(const char* className) {
    for (const char* shell : {"Progman", "WorkerW", "Shell_TrayWnd", "#32769"}) {
        if (std::strcmp(className, shell) == 0) return true;
    }
    return false;
}

bool FullScreenWindow(const ForegroundFacts& window, const MonitorArea* monitors, int32_t count,
                      const ScreenRect& primary) {
    return CoversItsMonitor(window, monitors, count, primary) && !window.captioned;
}
