// The monitor that holds a rectangle, the perch floor there, and a free sozu brought onto a
// monitor, over the layouts the end-to-end test sets up and over none at all.
#include <gtest/gtest.h>
#include "display/monitors.h"

namespace {

constexpr int32_t Side = 48;
constexpr uint8_t BottomEdge = 2, SideEdge = 1;
// A primary of 1024x768 with a taskbar, and a second monitor to the right, taller, whose own
// taskbar (Windows 11) takes 40 px off its work area.
const MonitorArea Right[] = {{{0, 0, 1024, 768}, {0, 0, 1024, 728}},
                             {{1024, 0, 1824, 1000}, {1024, 0, 1824, 960}}};
// The second monitor to the left and higher, at negative coordinates.
const MonitorArea Left[] = {{{0, 0, 1024, 768}, {0, 0, 1024, 768}},
                            {{-800, -200, 0, 768}, {-800, -200, 0, 768}}};
const ScreenRect PrimaryBar = {0, 748, 1024, 768};

}  // namespace

TEST(Monitors, NearestMonitorHoldsTheRectangle) {
    struct Case { const char* name; ScreenRect rect; const MonitorArea* monitors; int32_t count;
                  int32_t held; } cases[] = {
        {"inside the primary", {100, 100, 148, 148}, Right, 2, 0},
        {"inside the second", {1300, 500, 1348, 548}, Right, 2, 1},
        {"across the seam, mostly on the second", {1010, 10, 1058, 58}, Right, 2, 1},
        {"across the seam, mostly on the primary", {990, 10, 1038, 58}, Right, 2, 0},
        {"below the primary, beside the taller second", {900, 900, 948, 948}, Right, 2, 1},
        {"far off to the right and down", {3000, 3000, 3048, 3048}, Right, 2, 1},
        {"far off to the left", {-3000, 300, -2952, 348}, Right, 2, 0},
        {"negative coordinates, left monitor", {-500, 300, -452, 348}, Left, 2, 1},
        {"above both, nearer the left one", {-300, -400, -252, -352}, Left, 2, 1},
        {"an empty rectangle on the primary", {10, 10, 10, 10}, Left, 2, 0},
        {"no monitors", {100, 100, 148, 148}, nullptr, 0, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NearestMonitor(c.rect, c.monitors, c.count), c.held) << c.name;
    }
}

TEST(Monitors, PerchFloorIsTheWorkAreaOfTheMonitorUnderTheSpot) {
    struct Case { const char* name; ScreenRect spot; const MonitorArea* monitors; int32_t count;
                  uint8_t edge; const ScreenRect* bar; int32_t floor; } cases[] = {
        {"second monitor: its own work area", {1200, 902, 1248, 950}, Right, 2, BottomEdge,
         &PrimaryBar, 960},
        {"primary: the work area", {200, 600, 248, 648}, Right, 2, SideEdge, nullptr, 728},
        {"primary under Wine: the taskbar in the work area", {200, 600, 248, 648}, Left, 2,
         BottomEdge, &PrimaryBar, 748},
        {"the primary taskbar is not on the left monitor", {-400, 600, -352, 648}, Left, 2,
         BottomEdge, &PrimaryBar, 768},
        {"hanging below every monitor: the nearest", {1100, 1400, 1148, 1448}, Right, 2,
         BottomEdge, &PrimaryBar, 960},
        {"no monitors (95, NT 4): the taskbar", {200, 600, 248, 648}, nullptr, 0, BottomEdge,
         &PrimaryBar, 748},
        {"no monitors, no taskbar: the screen", {200, 600, 248, 648}, nullptr, 0, BottomEdge,
         nullptr, 768},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MonitorPerchFloor(c.spot, c.monitors, c.count, c.edge, c.bar, 768), c.floor)
            << c.name;
    }
}

TEST(Monitors, FreeSozuComesOntoTheNearestMonitor) {
    struct Case { const char* name; ScreenPoint at; const MonitorArea* monitors; int32_t count;
                  ScreenPoint placed; } cases[] = {
        {"on the second monitor: stays", {1300, 500}, Right, 2, {1300, 500}},
        {"on the left monitor: stays", {-500, 300}, Left, 2, {-500, 300}},
        {"centre on the far edge: stays", {1800, 976}, Right, 2, {1800, 976}},
        {"centre just past the far edge", {1801, 500}, Right, 2, {1400, 456}},
        {"a gone monitor: the nearest work area's centre", {3000, 3000}, Right, 2, {1400, 456}},
        {"beyond the left: the primary's centre", {-2000, 100}, Right, 2, {488, 340}},
        {"above the left monitor", {-500, -600}, Left, 2, {-424, 260}},
        {"the gap below the primary", {900, 900}, Left, 2, {488, 360}},
        {"no monitors: where it is", {3000, 3000}, nullptr, 0, {3000, 3000}},
        {"hand-edited, largest", {INT32_MAX, INT32_MAX}, Right, 2, {1400, 456}},
        {"hand-edited, smallest", {INT32_MIN, INT32_MIN}, Left, 2, {-424, 260}},
    };
    for (const auto& c : cases) {
        const ScreenPoint p = OntoMonitors(c.at, Side, c.monitors, c.count);
        EXPECT_EQ(p.x, c.placed.x) << c.name;
        EXPECT_EQ(p.y, c.placed.y) << c.name;
    }
}
