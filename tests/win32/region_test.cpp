// Regions built from shape masks, and the copy the window is given as the frame changes.
#include <gtest/gtest.h>
#include <windows.h>
#include "tests/win32/test_window.h"
#include <vector>
#include "base/window_win32.h"
#include "display/region.h"
#include "display/region_build_win32.h"
#include "display/frame_masks.h"
#include "res/resource.h"
#include "sim/sim.h"
#include "display/artwork_win32.h"

namespace {

constexpr int Side = 48;
using Mask = std::vector<uint8_t>;

Mask Disc(int cx, int cy, int r) {
    Mask m(Side * Side, 1);
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x)
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) m[y * Side + x] = 0;
    return m;
}

// One-pixel columns: 24 runs a row, 1152 in all, so six blocks are combined.
Mask Comb() {
    Mask m(Side * Side, 1);
    for (int y = 0; y < Side; ++y)
        for (int x = y % 2; x < Side; x += 2) m[y * Side + x] = 0;
    return m;
}

// The two bottom rows full, as in every frame, a post and a tube touching the right edge.
Mask Scene() {
    Mask m(Side * Side, 1);
    for (int y = 46; y < Side; ++y)
        for (int x = 0; x < Side; ++x) m[y * Side + x] = 0;
    for (int y = 20; y < 46; ++y) m[y * Side + 10] = m[y * Side + 11] = 0;
    for (int x = 5; x < Side; ++x) m[18 * Side + x] = m[19 * Side + x] = 0;
    return m;
}

HRGN Build(const Mask& m) { return BuildRegionFromMask(m.data(), Side, Side, Side); }

void ExpectMatches(HRGN region, const Mask& m) {
    ASSERT_NE(region, nullptr);
    int wrong = 0;
    for (int y = -2; y < Side + 2; ++y)
        for (int x = -2; x < Side + 2; ++x) {
            const bool inMask = x >= 0 && y >= 0 && x < Side && y < Side && m[y * Side + x] == 0;
            if ((PtInRegion(region, x, y) != FALSE) != inMask) ++wrong;
        }
    EXPECT_EQ(wrong, 0);
}

HWND MakeWindow() { return MakeTestWindow(100, 100, Side, Side); }

}  // namespace

TEST(Region, BuiltRegionMatchesItsMaskPixelForPixel) {
    struct Case { const char* name; Mask mask; } cases[] = {
        {"disc", Disc(20, 24, 15)},
        {"comb, several blocks", Comb()},
        {"scene", Scene()},
        {"everything inside", Mask(Side * Side, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HRGN r = Build(c.mask);
        ExpectMatches(r, c.mask);
        DeleteObject(r);
    }
}

TEST(Region, AllOutsideMaskGivesAnEmptyRegion) {
    HRGN r = Build(Mask(Side * Side, 1));
    ASSERT_NE(r, nullptr);
    RECT box;
    EXPECT_EQ(GetRgnBox(r, &box), NULLREGION);
    DeleteObject(r);
}

TEST(Region, BuildingTwiceGivesEqualRegions) {
    for (const Mask& m : {Scene(), Comb()}) {
        HRGN a = Build(m), b = Build(m);
        EXPECT_TRUE(EqualRgn(a, b));
        DeleteObject(a);
        DeleteObject(b);
    }
}

TEST(Region, WindowTakesACopyOnlyWhenTheFrameChanges) {
    const Mask masks[] = {Scene(), Disc(24, 24, 10), Comb()};
    for (int i = 0; i < FrameCount; ++i) FrameRegions[i] = Build(masks[i % 3]);
    HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);   // a hidden window keeps no update region
    AppliedFrame = 0;
    AppliedRegion = nullptr;
    HRGN seen = CreateRectRgn(0, 0, 0, 0);

    // Frame 0 is what AppliedFrame starts at: no region yet, but still a repaint.
    ValidateRect(window, nullptr);
    ApplyRegionOfFrame(window, 0);
    EXPECT_EQ(AppliedRegion, nullptr);
    EXPECT_EQ(GetWindowRgn(window, seen), ERROR);
    EXPECT_TRUE(GetUpdateRect(window, nullptr, FALSE));

    for (int frame : {3, 3, 4, 0, 8}) {
        SCOPED_TRACE(frame);
        HRGN before = AppliedRegion;
        ValidateRect(window, nullptr);
        ApplyRegionOfFrame(window, frame);
        EXPECT_EQ(AppliedFrame, frame);
        EXPECT_EQ(AppliedRegion != before, frame != 3 || before == nullptr);
        EXPECT_NE(AppliedRegion, FrameRegions[frame]);   // never the master itself
        EXPECT_EQ(GetPropA(window, RegionProperty), AppliedRegion);
        ASSERT_NE(GetWindowRgn(window, seen), ERROR);
        EXPECT_TRUE(EqualRgn(seen, FrameRegions[frame]));
        EXPECT_TRUE(GetUpdateRect(window, nullptr, FALSE));
    }
    // The masters stay usable after their copies went to the window and were replaced.
    for (int i = 0; i < FrameCount; ++i) {
        RECT box;
        EXPECT_NE(GetRgnBox(FrameRegions[i], &box), ERROR) << i;
    }
    // A frame whose region could not be built takes the shape off: the whole square shows.
    DeleteObject(FrameRegions[5]);
    FrameRegions[5] = nullptr;
    ApplyRegionOfFrame(window, 5);
    EXPECT_EQ(GetWindowRgn(window, seen), ERROR);
    EXPECT_EQ(AppliedRegion, nullptr);
    EXPECT_EQ(GetPropA(window, RegionProperty), nullptr);

    RemovePropA(window, RegionProperty);
    DestroyWindow(window);
    DeleteObject(seen);
    for (HRGN& r : FrameRegions) {
        if (r) DeleteObject(r);
        r = nullptr;
    }
}

namespace {

HBITMAP FrameBitmap(int f) {
    return LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_FRAME_FIRST + f));
}

Mask FrameMask(int f) {
    const uint8_t* m = FrameShapeMasks + f * Side * Side;
    return Mask(m, m + Side * Side);
}

}  // namespace

TEST(Region, EachFrameGivesItsMasksShapeAndTheSameRegionTwice) {
    for (int f = 0; f < FrameCount; ++f) {
        SCOPED_TRACE(f);
        HBITMAP bitmap = FrameBitmap(f);
        ASSERT_NE(bitmap, nullptr);
        HRGN a = BuildFrameRegion(f, bitmap);
        HRGN b = BuildFrameRegion(f, bitmap);
        ExpectMatches(a, FrameMask(f));
        EXPECT_TRUE(EqualRgn(a, b));
        DeleteObject(a);
        DeleteObject(b);
        DeleteObject(bitmap);
    }
}

TEST(Region, FrameRegionNeedsABitmapAndAFrameNumber) {
    HBITMAP bitmap = FrameBitmap(0);
    EXPECT_EQ(BuildFrameRegion(0, nullptr), nullptr);
    EXPECT_EQ(BuildFrameRegion(-1, bitmap), nullptr);
    EXPECT_EQ(BuildFrameRegion(9, bitmap), nullptr);
    DeleteObject(bitmap);
}

// The table holds 48 by 48 a frame: a larger bitmap must not scan into the next frame.
TEST(Region, LargerBitmapScansOnlyTheMask) {
    HBITMAP large = CreateBitmap(64, 64, 1, 1, nullptr);
    HRGN r = BuildFrameRegion(8, large);
    ExpectMatches(r, FrameMask(8));
    DeleteObject(r);
    DeleteObject(large);
}

TEST(Region, ApplyFrameRegionFollowsTheFrameIndex) {
    for (int f = 0; f < FrameCount; ++f) {
        HBITMAP bitmap = FrameBitmap(f);
        FrameRegions[f] = BuildFrameRegion(f, bitmap);
        DeleteObject(bitmap);
    }
    HWND window = MakeWindow();
    ShowWindow(window, SW_SHOWNOACTIVATE);
    AppliedFrame = 0;
    HRGN seen = CreateRectRgn(0, 0, 0, 0);
    for (int frame : {3, 4, 8, 0}) {
        FrameIndex = frame;
        ApplyFrameRegion(window);
        ASSERT_NE(GetWindowRgn(window, seen), ERROR);
        EXPECT_TRUE(EqualRgn(seen, FrameRegions[frame])) << frame;
        EXPECT_EQ(GetPropA(window, RegionProperty), AppliedRegion);
    }
    FrameIndex = 0;
    RemovePropA(window, RegionProperty);
    DestroyWindow(window);
    DeleteObject(seen);
    for (HRGN& r : FrameRegions) {
        DeleteObject(r);
        r = nullptr;
    }
}
