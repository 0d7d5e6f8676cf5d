#include "display/placement_plan.h"
#include "display/taskbar.h"
#include "base/scale.h"
#include "display/placement.h"

int32_t SozuHiddenForBusy = 0;

namespace {
constexpr int32_t ArtworkUpperBandRows = 24;
constexpr int32_t ArtworkDragGrip = 42;
}  // namespace

int32_t PerchFloor(uint8_t taskbarEdge, const ScreenRect* taskbar, int32_t screenHeight) {
    if (taskbarEdge == TaskbarBottom && taskbar) return taskbar->top;
    return screenHeight;
}

ScreenRect VisibleFrame(const ScreenRect& window, const ScreenRect* frame) {
    if (!frame || frame->left >= frame->right || frame->top >= frame->bottom) return window;
    const bool within = frame->left >= window.left && frame->top >= window.top &&
                        frame->right <= window.right && frame->bottom <= window.bottom;
    return within ? *frame : window;
}

ScreenPoint PerchPosition(const ScreenRect& candidate, int32_t floor, int32_t side) {
    const int32_t bottom = floor < candidate.bottom ? floor : candidate.bottom;
    return {candidate.left - side, bottom - side};
}

int32_t UpperBandRows(int32_t side) { return ScaleLength(ArtworkUpperBandRows, side); }

ScreenPoint DragGrip(int32_t side) {
    const int32_t grip = ScaleLength(ArtworkDragGrip, side);
    return {grip, grip};
}

PerchChoice ChoosePerchCandidate(WindowHandle foreground, WindowHandle self,
                                 WindowHandle perchTarget, bool targetAlive, WindowHandle below) {
    if (foreground != self) return {foreground, perchTarget};
    // The sozu was just clicked or its menu used: stay with the window it stood beside.
    if (perchTarget && targetAlive) return {perchTarget, perchTarget};
    if (below) return {below, below};
    return {self, self};
}

bool PerchLookDue(const PerchAssertion& last, uint32_t nowMs) {
    return !last.made || nowMs - last.atMs >= PerchReassertMs;
}

bool PerchMoveNeeded(PerchAssertion& last, const PerchFacts& facts, uint32_t nowMs) {
    const ScreenRect& a = facts.current;
    const ScreenRect& b = facts.target;
    const bool moved = a.left != b.left || a.top != b.top || a.right != b.right ||
                       a.bottom != b.bottom;
    const bool call = !last.made || moved || !facts.shown || !facts.topmost || facts.covered ||
                      facts.foreground != last.foreground;
    if (call) {
        last = {true, nowMs, facts.foreground};
    } else if (PerchLookDue(last, nowMs)) {
        last.atMs = nowMs;   // looked, and nothing stands above the sozu
    }
    return call;
}
