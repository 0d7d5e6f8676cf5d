// Where a perched sozu stands, over rectangles of foreground windows and taskbars.
#include <gtest/gtest.h>
#include "display/placement_plan.h"

namespace {
constexpr int32_t Height = 768;
const ScreenRect BottomBar = {0, 748, 1024, 768};
}  // namespace

TEST(PlacementPlan, FloorByTaskbarEdge) {
    const ScreenRect tallBottomBar = {0, 700, 1024, 768};
    const ScreenRect leftBar = {0, 0, 60, 768};
    const ScreenRect topBar = {0, 0, 1024, 30};
    struct Case { uint8_t edge; const ScreenRect* bar; int32_t floor; } cases[] = {
        {2, &BottomBar, 748},
        {2, &tallBottomBar, 700},   // read each tick, so a grown bar moves the floor
        {2, nullptr, Height},       // no taskbar window, or its rectangle unreadable
        {1, &leftBar, Height},
        {0, &topBar, Height},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PerchFloor(c.edge, c.bar, Height), c.floor) << int(c.edge);
    }
}

TEST(PlacementPlan, VisibleFrameWhereTheWindowManagerGivesOne) {
    const ScreenRect w = {193, 150, 607, 457};
    const ScreenRect maximised = {-8, -8, 1032, 736};
    struct Case {
        const char* name;
        ScreenRect window;
        bool given;
        ScreenRect frame, seen;
    } cases[] = {
        {"no window manager (95 to XP, Wine)", w, false, {}, w},
        {"Windows 10: 7 px left, right and bottom", w, true, {200, 150, 600, 450},
         {200, 150, 600, 450}},
        {"no invisible borders", w, true, w, w},
        {"maximised: the frame is the work area", maximised, true, {0, 0, 1024, 728},
         {0, 0, 1024, 728}},
        {"empty frame (a failed answer)", w, true, {0, 0, 0, 0}, w},
        {"upside down", w, true, {200, 450, 600, 150}, w},
        // Scaled to 125 %, the frame comes in the screen's pixels, the rectangle in 96 DPI ones.
        {"scaled display", w, true, {250, 187, 750, 562}, w},
        {"wider than the window", w, true, {190, 150, 600, 450}, w},
        {"reaching below the window", w, true, {200, 150, 600, 460}, w},
    };
    for (const auto& c : cases) {
        const ScreenRect seen = VisibleFrame(c.window, c.given ? &c.frame : nullptr);
        EXPECT_EQ(seen.left, c.seen.left) << c.name;
        EXPECT_EQ(seen.top, c.seen.top) << c.name;
        EXPECT_EQ(seen.right, c.seen.right) << c.name;
        EXPECT_EQ(seen.bottom, c.seen.bottom) << c.name;
    }
}

TEST(PlacementPlan, PositionBesideCandidate) {
    struct Case { const char* name; ScreenRect candidate; int32_t floor; int32_t x, y; } cases[] = {
        {"above the floor", {200, 100, 600, 400}, 748, 152, 352},
        {"bottom on the floor", {200, 100, 600, 748}, 748, 152, 700},
        {"reaching below the taskbar", {200, 300, 600, 900}, 748, 152, 700},
        {"maximised", {0, 0, 1024, 748}, 748, 0 - 48, 700},
        {"maximised with borders", {-4, -4, 1028, 752}, 748, -52, 700},
        {"side taskbar: screen bottom", {100, 500, 400, 800}, Height, 52, 720},
        {"off the top", {100, -300, 400, 20}, 748, 52, -28},
    };
    for (const auto& c : cases) {
        const ScreenPoint p = PerchPosition(c.candidate, c.floor, 48);
        EXPECT_EQ(p.x, c.x) << c.name;
        EXPECT_EQ(p.y, c.y) << c.name;
    }
}

TEST(PlacementPlan, CandidateWhenTheSozuIsInFront) {
    int self, target, other, below;
    struct Case {
        const char* name;
        void* foreground; void* perchTarget; bool alive; void* below;
        void* candidate; void* newTarget;
    } cases[] = {
        {"another window in front", &other, &target, true, &below, &other, &target},
        {"sozu in front, target alive", &self, &target, true, &below, &target, &target},
        {"sozu in front, target gone", &self, &target, false, &below, &below, &below},
        {"sozu in front, no target", &self, nullptr, false, &below, &below, &below},
        {"sozu in front, nothing below", &self, &target, false, nullptr, &self, &self},
        {"nothing in front", nullptr, &target, true, &below, nullptr, &target},
    };
    for (const auto& c : cases) {
        const PerchChoice choice =
            ChoosePerchCandidate(c.foreground, &self, c.perchTarget, c.alive, c.below);
        EXPECT_EQ(choice.candidate, c.candidate) << c.name;
        EXPECT_EQ(choice.perchTarget, c.newTarget) << c.name;
    }
}

// Heartbeat by heartbeat after a call at `lastMs` with window `front` in front: the window
// manager is called only for a change, or when a window stands above the sozu.
TEST(PlacementPlan, TheWindowManagerIsCalledOnlyForAChange) {
    int front, other;
    const ScreenRect at = {152, 400, 200, 448};
    struct Case {
        const char* name;
        uint32_t lastMs, nowMs;
        ScreenRect current;
        bool shown, topmost;
        void* foreground;
        bool covered, call, lookDue;
    } cases[] = {
        {"beside a still window", 0, 128, at, true, true, &front, false, false, false},
        {"still, a second on: looked, nothing above", 0, 1000, at, true, true, &front, false,
         false, true},
        {"a window rose above it", 0, 1000, at, true, true, &front, true, true, true},
        {"looked across the clock's wrap", 0xFFFFFE00u, 0x1E8u, at, true, true, &front, true, true,
         true},
        {"the target moved a pixel", 0, 128, {151, 400, 199, 448}, true, true, &front, false, true,
         false},
        {"another size (a new scale)", 0, 128, {152, 400, 224, 472}, true, true, &front, false,
         true, false},
        {"hidden", 0, 128, at, false, true, &front, false, true, false},
        {"out of the topmost band (the about dialog closed)", 0, 128, at, true, false, &front,
         false, true, false},
        {"another window came to the front", 0, 128, at, true, true, &other, false, true, false},
    };
    for (const auto& c : cases) {
        PerchAssertion last = {true, c.lastMs, &front};
        EXPECT_EQ(PerchLookDue(last, c.nowMs), c.lookDue) << c.name;
        const PerchFacts facts = {c.current, at, c.shown, c.topmost, c.foreground, c.covered};
        EXPECT_EQ(PerchMoveNeeded(last, facts, c.nowMs), c.call) << c.name;
    }
    // The first perch calls; beside a still window with nothing above it a minute of
    // heartbeats makes no other call, and looks at the z-order every eighth (1,024 ms).
    PerchAssertion last = {};
    const PerchFacts still = {at, at, true, true, &front, false};
    int calls = 0, looks = 0;
    for (uint32_t now = 0; now < 60000; now += 128) {
        looks += PerchLookDue(last, now);
        calls += PerchMoveNeeded(last, still, now);
    }
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(looks, 59);
}
