// The sozu at each display scale: its side, where it perches, when it counts as on screen, the
// pointer's areas, and the enlargement that keeps the artwork's pixels whole.
#include <gtest/gtest.h>
#include <cstdint>
#include <vector>
#include "display/monitors.h"
#include "display/placement_plan.h"
#include "base/scale.h"

namespace {

struct ScaleCase {
    int32_t dpi, side, upperBand, grip;
};
// 100 %, 125 %, 150 %, 200 %, 300 %; below 96 and above 500 % are held at the ends.
constexpr ScaleCase Scales[] = {
    {96, 48, 24, 42}, {120, 60, 30, 53}, {144, 72, 36, 63}, {192, 96, 48, 84},
    {288, 144, 72, 126}, {72, 48, 24, 42}, {960, 240, 120, 210},
};

TEST(DisplayScale, SideAndPointerAreasFollowTheDpi) {
    for (const auto& c : Scales) {
        const int32_t side = SozuSideForDpi(c.dpi);
        EXPECT_EQ(side, c.side) << c.dpi;
        EXPECT_EQ(UpperBandRows(side), c.upperBand) << c.dpi;
        EXPECT_EQ(DragGrip(side).x, c.grip) << c.dpi;
        EXPECT_LT(DragGrip(side).y, side) << c.dpi;   // the grip stays on the sozu
    }
}

TEST(DisplayScale, PerchedRightEdgeTouchesTheWindowAtEveryScale) {
    const ScreenRect notepad = {300, 100, 800, 500};
    for (const auto& c : Scales) {
        const ScreenPoint p = PerchPosition(notepad, 748, c.side);
        EXPECT_EQ(p.x + c.side, notepad.left) << c.dpi;
        EXPECT_EQ(p.y + c.side, notepad.bottom) << c.dpi;
        const ScreenPoint low = PerchPosition({300, 100, 800, 900}, 748, c.side);
        EXPECT_EQ(low.y + c.side, 748) << c.dpi;   // stands on the taskbar
    }
}

TEST(DisplayScale, OnScreenWhileTheCentreIs) {
    // A sozu of each side placed with its centre just on, then just off, each screen edge.
    for (const auto& c : Scales) {
        const int32_t s = c.side, h = s / 2;
        struct Edge { int32_t left, top; bool on; } edges[] = {
            {-h, 300, true}, {-h - 1, 300, false},
            {1024 - h, 300, true}, {1024 - h + 1, 300, false},
            {300, -h, true}, {300, -h - 1, false},
            {300, 768 - h, true}, {300, 768 - h + 1, false},
        };
        for (const auto& e : edges) {
            const MonitorArea screen = {{0, 0, 1024, 768}, {0, 0, 1024, 768}, BaseDpi};
            const ScreenPoint at = OntoMonitors({e.left, e.top}, s, &screen, 1);
            EXPECT_EQ(at.x == e.left && at.y == e.top, e.on)
                << c.dpi << " at " << e.left << "," << e.top;
        }
    }
}

TEST(DisplayScale, EnlargementKeepsEveryArtworkPixelWhole) {
    // Each artwork pixel holds its own number; the enlargement may only repeat them, in order,
    // each over a run of 1 or 2 screen pixels (1, 2 or 3 beyond 200 %), all runs present.
    std::vector<uint16_t> art(ArtworkSide * ArtworkSide);
    for (int i = 0; i < ArtworkSide * ArtworkSide; ++i) art[i] = static_cast<uint16_t>(i);
    for (const auto& c : Scales) {
        std::vector<uint16_t> out(c.side * c.side);
        EnlargeArtwork(art.data(), ArtworkSide, c.side, out.data());
        const int32_t widest = (c.side + ArtworkSide - 1) / ArtworkSide;
        for (int32_t y = 0; y < c.side; ++y) {
            int32_t run = 0, last = -1;
            for (int32_t x = 0; x < c.side; ++x) {
                const int32_t v = out[y * c.side + x];
                ASSERT_EQ(v / ArtworkSide, ArtworkPixel(y, c.side)) << c.dpi;
                if (v == last) {
                    ++run;
                } else {
                    // The next artwork pixel of the row; the first at the row's start.
                    ASSERT_EQ(v % ArtworkSide, last < 0 ? 0 : last % ArtworkSide + 1)
                        << c.dpi << " row " << y;
                    run = 1;
                }
                ASSERT_LE(run, widest) << c.dpi;
                last = v;
            }
            EXPECT_EQ(last % ArtworkSide, ArtworkSide - 1) << c.dpi;
        }
    }
}

}  // namespace
