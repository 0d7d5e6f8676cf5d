// No graphics object leaks on the heartbeat's paths: the tipping step, the region swap of each
// frame change and the paint, run hundreds of times in a window of their own, with the objects
// counted slot by slot (tests/win32/gdi_objects.h). The check itself is shown to catch one
// leaked region a round.
#include <gtest/gtest.h>
#include <windows.h>
#include <functional>
#include <vector>
#include "base/settings.h"
#include "base/window_win32.h"
#include "display/paint.h"
#include "display/region.h"
#include "display/region_build_win32.h"
#include "res/resource.h"
#include "sim/sim.h"
#include "tests/win32/gdi_objects.h"
#include "tests/win32/test_window.h"
#include "display/artwork_win32.h"

namespace {

constexpr char TestClass[] = "TsutsuriLeakTest";
constexpr int WarmUpRounds = 20;
constexpr int Rounds = 300;

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) return PaintMainWindow(window);
    return DefWindowProcA(window, message, wParam, lParam);
}

class GdiLeakTest : public ::testing::Test {
protected:
    void SetUp() override {
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        for (int i = 0; i < FrameCount; ++i) {
            FrameBitmaps[i] = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_FRAME_FIRST + i));
            FrameRegions[i] = BuildFrameRegion(i, FrameBitmaps[i]);
        }
        StreamSheet = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_STREAM_SHEET));
        StreamMask = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_STREAM_MASK));
        MeterStrip = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_METER_STRIP));
        window_ = MakeSozuTestWindow(TestClass, TestWindowProc);
        ASSERT_NE(window_, nullptr);
        AppSettings.WaterSource = 2;   // random, a tip on every sample: every frame comes round
        AppSettings.Sensitivity = 0;
        AppSettings.RandomRanges[0] = 1;
        AppSettings.DropsEffect = 1;
        AppSettings.InstantMeterShown = 1;
        AppSettings.CumulativeMeterShown = 1;
        AppSettings.MeterTint = 2;
        InitDrops();
    }
    void TearDown() override {
        DestroyWindow(window_);
        UnregisterClassA(TestClass, GetModuleHandleA(nullptr));
        ReleasePaintContexts();
        for (int i = 0; i < FrameCount; ++i) {
            DeleteObject(FrameBitmaps[i]);
            DeleteObject(FrameRegions[i]);
        }
        for (HBITMAP b : {StreamSheet, StreamMask, MeterStrip}) DeleteObject(b);
    }

    // One heartbeat: the step (with its region swap on a frame change), then the paint.
    void Heartbeat() {
        TipStep(false, window_);
        ApplyRegionOfFrame(window_, FrameIndex);
        UpdateWindow(window_);
    }

    // How many more objects live after `rounds` rounds than after a warm-up.
    int Growth(int rounds, const std::function<void()>& round) {
        for (int i = 0; i < WarmUpRounds; ++i) round();
        const int before = LiveGdiObjects();
        for (int i = 0; i < rounds; ++i) round();
        return LiveGdiObjects() - before;
    }

    HWND window_ = nullptr;
};

TEST_F(GdiLeakTest, HeartbeatsKeepTheObjectCount) {
    int frames[FrameCount] = {};
    const int growth = Growth(Rounds, [&] {
        Heartbeat();
        ++frames[FrameIndex < 0 || FrameIndex >= FrameCount ? 0 : FrameIndex];
    });
    EXPECT_EQ(growth, 0);
    for (int f = 0; f < FrameCount; ++f) EXPECT_GT(frames[f], 0) << "frame " << f << " never shown";
}

TEST_F(GdiLeakTest, TheCheckSeesOneLeakedRegionARound) {
    std::vector<HRGN> kept;
    const int growth = Growth(Rounds, [&] {
        Heartbeat();
        kept.push_back(CreateRectRgn(0, 0, 2, 2));
    });
    EXPECT_EQ(growth, Rounds);
    for (HRGN r : kept) DeleteObject(r);
}

}  // namespace
