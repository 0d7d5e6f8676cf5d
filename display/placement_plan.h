// Where a perched sozu stands, worked out from rectangles alone. Portable.
#pragma once
#include <cstdint>
#include "base/state.h"

struct ScreenPoint {
    int32_t x, y;
};

// What the floor is made of on this tick. taskbar is null when there is no taskbar window or
// its rectangle could not be read; the floor is then the screen's bottom, as on the sides.
int32_t PerchFloor(uint8_t taskbarEdge, const ScreenRect* taskbar, int32_t screenHeight);

// What the user sees of a window. From Vista on the window rectangle takes in invisible resize
// borders (7 px on the left, right and bottom on Windows 10 and 11), and the desktop window
// manager reports the visible frame; frame is null where it could not (Windows 95 to XP, Wine).
// The frame counts only where it is not empty and lies within the window rectangle: a program
// that is not DPI-aware (as this one was on systems that ignore its manifest) reads window
// rectangles scaled to 96 DPI but the frame in the screen's own pixels, and the two cannot be
// compared.
ScreenRect VisibleFrame(const ScreenRect& window, const ScreenRect* frame);

// The top-left corner of a sozu of side pixels: its right edge on the candidate's left edge,
// its bottom level with the candidate's bottom but never below the floor. Nothing is clamped
// to the screen.
ScreenPoint PerchPosition(const ScreenRect& candidate, int32_t floor, int32_t side);

// The pointer's areas on a sozu of side pixels, in window pixels: the rows of the upper band
// (the rock's and the post's tops; a press there tips), below which a free sozu is dragged,
// and the window point a drag holds the sozu by (on the lower rock, near the corner).
int32_t UpperBandRows(int32_t side);
ScreenPoint DragGrip(int32_t side);

// Which window to perch beside, and what becomes of the remembered target, when the sozu
// itself may be in front. targetAlive says whether perchTarget still names a window; below is
// the window after the sozu in the z-order (null when none). The candidate may come back as
// self or null: the caller then leaves the position alone.
struct PerchChoice {
    WindowHandle candidate;
    WindowHandle perchTarget;
};
PerchChoice ChoosePerchCandidate(WindowHandle foreground, WindowHandle self,
                                 WindowHandle perchTarget, bool targetAlive, WindowHandle below);

// Whether the perch must call the window manager on this heartbeat. Each call has its cost (the
// window's messages, the composition's work), so the sozu is moved only when its rectangle
// differs from the target, when it is hidden or out of the topmost band though it should be
// in it, and when its place in the z-order must be taken again: at once when another window
// came to the front (a topmost one goes above the sozu), else when a look at the z-order, due
// once a second, finds a shown window above the sozu over its rectangle (a topmost window that
// rose without taking the foreground). A sozu already on top is left alone.
constexpr uint32_t PerchReassertMs = 1000;
struct PerchFacts {
    ScreenRect current;       // the sozu's window rectangle now
    ScreenRect target;        // where it must stand
    bool shown;               // visible now
    bool topmost;             // in the topmost band now
    WindowHandle foreground;  // the window in front now
    bool covered;             // a shown window stands above it (looked at only when due)
};
// The last call to the window manager or look at the z-order, and which window was in front
// at the last call.
struct PerchAssertion {
    bool made;
    uint32_t atMs;
    WindowHandle foreground;
};
// Whether the z-order is to be looked at on this heartbeat.
bool PerchLookDue(const PerchAssertion& last, uint32_t nowMs);
// Answers whether to call; a call, or a look that found nothing above, is noted in `last`.
bool PerchMoveNeeded(PerchAssertion& last, const PerchFacts& facts, uint32_t nowMs);
