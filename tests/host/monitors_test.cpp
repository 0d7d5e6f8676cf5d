// The monitor that holds a rectangle, the perch floor there, and a free sozu brought onto a
// monitor, over the layouts the end-to-end test sets up and over none at all.
#include <gtest/gtest.h>
#include "display/monitors.h"
#include "base/scale.h"

namespace {

constexpr int32_t Side = 48;
constexpr uint8_t BottomEdge = 2, SideEdge = 1;
// A primary of 1024x768 with a taskbar, and a second monitor to the right, taller, whose own
// taskbar (Windows 11) takes 40 px off its work area.
const MonitorArea Right[] = {{{0, 0, 1024, 768}, {0, 0, 1024, 728}, 96},
                             {{1024, 0, 1824, 1000}, {1024, 0, 1824, 960}, 96}};
// The second monitor to the left and higher, at negative coordinates.
const MonitorArea Left[] = {{{0, 0, 1024, 768}, {0, 0, 1024, 768}, 96},
                            {{-800, -200, 0, 768}, {-800, -200, 0, 768}, 96}};
// A monitor smaller than the sozu (a hand-made layout): its centre lies left of and above it.
const MonitorArea Tiny[] = {{{0, 0, 41, 41}, {0, 0, 41, 41}, 96}};
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
        {"centre just past the far edge", {1801, 500}, Right, 2, {1400, 476}},
        {"a gone monitor: the nearest one's centre", {3000, 3000}, Right, 2, {1400, 476}},
        {"beyond the left: the primary's centre, its 40 px taskbar included", {-2000, 100},
         Right, 2, {488, 360}},
        {"above the left monitor", {-500, -600}, Left, 2, {-424, 260}},
        {"the gap below the primary", {900, 900}, Left, 2, {488, 360}},
        {"no monitors: where it is", {3000, 3000}, nullptr, 0, {3000, 3000}},
        {"hand-edited, largest", {INT32_MAX, INT32_MAX}, Right, 2, {1400, 476}},
        {"hand-edited, smallest", {INT32_MIN, INT32_MIN}, Left, 2, {-424, 260}},
        {"smaller than the sozu: (41 - 48) / 2 truncated toward zero", {500, 500}, Tiny, 1,
         {-3, -3}},
    };
    for (const auto& c : cases) {
        const ScreenPoint p = OntoMonitors(c.at, Side, c.monitors, c.count);
        EXPECT_EQ(p.x, c.placed.x) << c.name;
        EXPECT_EQ(p.y, c.placed.y) << c.name;
    }
}

// The system gives a window the DPI of the monitor that holds most of it, and tells it when
// that changes; a perched sozu then keeps its scale and perches again at the next tick. Beside
// a window whose left edge lies anywhere from 144 px before to 144 px past the seam of a
// 100 % and a 150 % monitor (in both orders), perching and the system's answer must settle at
// once: at most the one change to the scale of the window's own monitor, then none.
TEST(Monitors, PerchedSozuSettlesWhereTwoScalesMeet) {
    const MonitorArea layouts[][2] = {
        {{{0, 0, 1024, 768}, {0, 0, 1024, 728}, 96},
         {{1024, 0, 2944, 1080}, {1024, 0, 2944, 1020}, 144}},
        {{{0, 0, 1920, 1080}, {0, 0, 1920, 1020}, 144},
         {{1920, 0, 2944, 768}, {1920, 0, 2944, 728}, 96}},
    };
    for (const auto& monitors : layouts) {
        const int32_t seam = monitors[0].bounds.right;
        for (int32_t offset = -144; offset <= 144; ++offset) {
            for (const int32_t startDpi : {96, 144}) {
                const ScreenRect beside = {seam + offset, 200, seam + offset + 400, 600};
                int32_t sozuDpi = startDpi, systemDpi = startDpi, changes = 0, told = 0;
                PerchPlan plan = {};
                for (int tick = 0; tick < 4; ++tick) {
                    plan = PlanPerch(beside, monitors, 2, SideEdge, nullptr, 768, sozuDpi);
                    changes += plan.dpi != sozuDpi;
                    sozuDpi = plan.dpi;
                    const ScreenRect sozu = {plan.at.x, plan.at.y, plan.at.x + plan.side,
                                             plan.at.y + plan.side};
                    const int32_t dpi = monitors[NearestMonitor(sozu, monitors, 2)].dpi;
                    told += dpi != systemDpi;   // WM_DPICHANGED, which a perched sozu lets pass
                    systemDpi = dpi;
                }
                const char* const where = offset < 0 ? "first" : "second";
                SCOPED_TRACE(testing::Message() << where << " monitor, offset " << offset
                                                << ", from " << startDpi << " DPI");
                EXPECT_LE(changes, 1);
                EXPECT_LE(told, 1);
                EXPECT_EQ(sozuDpi, monitors[offset < 0 ? 0 : 1].dpi);
                EXPECT_EQ(plan.side, SozuSideForDpi(sozuDpi));
                EXPECT_EQ(plan.at.x + plan.side, beside.left);
                EXPECT_EQ(plan.at.y + plan.side, beside.bottom);
            }
        }
    }
    // No monitors told (Windows 95, NT 4): the scale stays, the floor is the screen's.
    const PerchPlan alone = PlanPerch({300, 100, 700, 900}, nullptr, 0, BottomEdge, &PrimaryBar,
                                      768, 144);
    EXPECT_EQ(alone.dpi, 144);
    EXPECT_EQ(alone.at.x, 300 - 72);
    EXPECT_EQ(alone.at.y, 748 - 72);
}
