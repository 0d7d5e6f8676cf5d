// The sozu at other display scales, with the program's own artwork: the enlarged paint repeats
// the artwork's pixels exactly, the shape covers exactly the enlarged frame's pixels, a free
// window told of a new DPI takes the new size and shape, a perched one its window's monitor's,
// and the tray's pictures keep the system's size.
#include <gtest/gtest.h>
#include <windows.h>
#include "base/settings.h"
#include "base/window_win32.h"
#include "display/frame_masks.h"
#include "display/paint.h"
#include "display/paint_draw_win32.h"
#include "display/paint_state.h"
#include "display/placement.h"
#include "display/scale_win32.h"
#include "res/resource.h"
#include "sim/sim.h"
#include "tests/win32/test_window.h"
#include "display/artwork_win32.h"

namespace {

constexpr char TestClass[] = "TsutsuriScaleTest";
constexpr int32_t Dpis[] = {120, 144, 192};

// A top-down 32-bit picture selected into a memory context of its own.
struct Canvas {
    explicit Canvas(int side) : side(side) {
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof bi.bmiHeader, side, -side, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* p = nullptr;
        bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<uint32_t*>(p);
        dc = CreateCompatibleDC(nullptr);
        original = SelectObject(dc, bitmap);
    }
    ~Canvas() {
        SelectObject(dc, original);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    uint32_t At(int x, int y) const { return bits[y * side + x] & 0xFFFFFF; }
    int side;
    HBITMAP bitmap;
    uint32_t* bits;
    HDC dc;
    HGDIOBJ original;
};

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: return PaintMainWindow(window);
    case DpiChangedMessage: return OnDpiChanged(window, wParam, lParam);
    case GetDpiScaledSizeMessage: return OnGetDpiScaledSize(wParam, lParam);
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

int IconSide(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return 0;
    BITMAP b = {};
    GetObjectA(info.hbmMask, sizeof b, &b);
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    return b.bmWidth;
}

class ScaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        Instance = GetModuleHandleA(nullptr);
        for (int i = 0; i < FrameCount; ++i)
            FrameBitmaps[i] = LoadBitmapA(Instance, MAKEINTRESOURCEA(IDB_FRAME_FIRST + i));
        StreamSheet = LoadBitmapA(Instance, MAKEINTRESOURCEA(IDB_STREAM_SHEET));
        StreamMask = LoadBitmapA(Instance, MAKEINTRESOURCEA(IDB_STREAM_MASK));
        MeterStrip = LoadBitmapA(Instance, MAKEINTRESOURCEA(IDB_METER_STRIP));
        ApplyDisplayScale(nullptr, BaseDpi);
        AppSettings.DropsEffect = AppSettings.InstantMeterShown = 1;
        AppSettings.CumulativeMeterShown = 1;
        AppSettings.MeterTint = 2;
        InitDrops();
    }
    void TearDown() override {
        if (window_) DestroyWindow(window_);
        UnregisterClassA(TestClass, Instance);
        ApplyDisplayScale(nullptr, BaseDpi);
        ReleaseScaledGraphics();
    }
    HWND window_ = nullptr;
};

TEST_F(ScaleTest, EnlargedPaintRepeatsTheArtworkPixelForPixel) {
    for (int32_t dpi : Dpis) {
        ApplyDisplayScale(nullptr, dpi);
        const int side = DisplayScale.side;
        for (int frame : {0, 3, 8}) {
            FrameIndex = frame;
            StreamLevel = 90;
            CpuUsage = 40;
            FillLevel = 70;
            // One plan, drawn at the artwork's size and at the scale, so both show one moment.
            for (int i = 0; i < 12; ++i) PlanCurrentPaint();   // drops and meters under way
            const PaintPlan plan = PlanCurrentPaint();
            Canvas art(ArtworkSide), scaled(side);
            HDC memory = CreateCompatibleDC(nullptr);
            DrawPaintPlan(art.dc, memory, plan, ProgramBitmaps());
            SourceContext shared = {memory, nullptr, nullptr};
            SourceContext* const sources[PaintSourceCount] = {&shared, &shared, &shared, &shared};
            DrawScaledPaintPlan(scaled.dc, sources, plan, ProgramBitmaps());
            ReleaseSourceContext(shared);
            DeleteDC(memory);
            GdiFlush();
            int wrong = 0;
            for (int y = 0; y < side; ++y) {
                for (int x = 0; x < side; ++x) {
                    const uint32_t want = art.At(ArtworkPixel(x, side), ArtworkPixel(y, side));
                    wrong += scaled.At(x, y) != want;
                }
            }
            EXPECT_EQ(wrong, 0) << dpi << " DPI, frame " << frame;
        }
    }
}

TEST_F(ScaleTest, ShapeIsExactlyTheEnlargedFramesPixels) {
    for (int32_t dpi : Dpis) {
        ApplyDisplayScale(nullptr, dpi);
        const int side = DisplayScale.side;
        for (int f = 0; f < FrameCount; ++f) {
            ASSERT_NE(FrameRegions[f], nullptr) << dpi;
            const uint8_t* mask = FrameShapeMasks + f * FrameMaskSide * FrameMaskSide;
            int wrong = 0;
            for (int y = 0; y < side; ++y)
                for (int x = 0; x < side; ++x) {
                    const bool inside = mask[ArtworkPixel(y, side) * FrameMaskSide +
                                             ArtworkPixel(x, side)] == 0;
                    wrong += (PtInRegion(FrameRegions[f], x, y) != FALSE) != inside;
                }
            EXPECT_EQ(wrong, 0) << dpi << " DPI, frame " << f;
        }
    }
}

TEST_F(ScaleTest, NewDpiResizesAFreeWindowAndItsShape) {
    AppSettings.PositionMode = PositionFree;
    HWND window = window_ = MakeSozuTestWindow(TestClass, TestWindowProc);
    ASSERT_NE(window, nullptr);
    SIZE size = {};
    EXPECT_TRUE(
        SendMessageA(window, GetDpiScaledSizeMessage, 144, reinterpret_cast<LPARAM>(&size)));
    EXPECT_EQ(size.cx, 72);
    EXPECT_EQ(size.cy, 72);

    struct Step { int32_t dpi, side; RECT suggested; } steps[] = {
        {192, 96, {200, 150, 296, 246}},
        {144, 72, {220, 170, 292, 242}},
        {120, 60, {210, 160, 270, 220}},
        {96, 48, {100, 100, 148, 148}},
    };
    for (const auto& s : steps) {
        SendMessageA(window, DpiChangedMessage, MAKEWPARAM(s.dpi, s.dpi),
                     reinterpret_cast<LPARAM>(&s.suggested));
        RECT r = {};
        GetWindowRect(window, &r);
        EXPECT_EQ(r.left, s.suggested.left) << s.dpi;
        EXPECT_EQ(r.top, s.suggested.top) << s.dpi;
        EXPECT_EQ(r.right - r.left, s.side) << s.dpi;
        EXPECT_EQ(r.bottom - r.top, s.side) << s.dpi;
        HRGN applied = CreateRectRgn(0, 0, 0, 0);
        ASSERT_NE(GetWindowRgn(window, applied), ERROR) << s.dpi;
        EXPECT_TRUE(EqualRgn(applied, FrameRegions[FrameIndex])) << s.dpi;
        DeleteObject(applied);
    }
}

// The taskbar draws the tray's pictures at the system's scale, whatever monitor the sozu
// stands on: they keep the plain small-icon size, and are not sent again. The cursors follow
// the window's scale (Windows' own metric for it where the system has one per DPI).
TEST_F(ScaleTest, TrayPicturesKeepTheSystemSizeAndCursorsFollowTheWindow) {
    using MetricsForDpi = int(WINAPI*)(int, UINT);
    const auto forDpi = reinterpret_cast<MetricsForDpi>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "GetSystemMetricsForDpi")));
    const HICON resting = IconResting, tipping = IconTipping;
    for (int32_t dpi : {192, 144, 96}) {
        ApplyDisplayScale(nullptr, dpi);
        EXPECT_EQ(IconSide(IconResting), GetSystemMetrics(SM_CXSMICON)) << dpi;
        EXPECT_EQ(IconSide(IconTipping), GetSystemMetrics(SM_CXSMICON)) << dpi;
        EXPECT_EQ(IconResting, resting) << dpi;
        EXPECT_EQ(IconTipping, tipping) << dpi;
        const int cursor = forDpi ? forDpi(SM_CXCURSOR, dpi) : GetSystemMetrics(SM_CXCURSOR);
        EXPECT_EQ(IconSide(CursorHand), cursor) << dpi;
        EXPECT_EQ(IconSide(CursorLadle), cursor) << dpi;
    }
}

// A perched sozu takes the scale of the monitor that holds its window (this session's one
// monitor) when it perches, and keeps size and place whatever WM_DPICHANGED says of its own
// rectangle: where two monitors of different scales meet, following that flips it for ever.
TEST_F(ScaleTest, PerchedSozuTakesItsWindowsMonitorScaleAndKeepsIt) {
    AppSettings.PositionMode = PositionPerched;
    AboutDialogOpen = 0;
    HWND window = window_ = MakeSozuTestWindow(TestClass, TestWindowProc);
    HWND target = MakeTestWindow(400, 200, 300, 250, 0, "target");
    ASSERT_NE(target, nullptr);
    ShowWindow(target, SW_SHOW);
    SetForegroundWindow(target);
    PerchTarget = target;
    MeasureScreenAndTaskbar();   // the floor and the scale: the taskbar and the monitors
    const int32_t monitorDpi = WindowDpi(target);
    const int32_t side = SozuSideForDpi(monitorDpi);
    ApplyDisplayScale(window, monitorDpi == 192 ? 96 : 192);   // not the monitor's scale
    RECT t = {};
    GetWindowRect(target, &t);
    const RECT suggested = {0, 0, 1, 1};
    for (int32_t dpi : {192, 96, 144}) {
        PerchBesideForeground(window);
        SendMessageA(window, DpiChangedMessage, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        RECT r = {};
        GetWindowRect(window, &r);
        EXPECT_EQ(DisplayScale.dpi, monitorDpi) << dpi;
        EXPECT_EQ(r.right - r.left, side) << dpi;
        EXPECT_EQ(r.bottom - r.top, side) << dpi;
        EXPECT_EQ(r.right, t.left) << dpi;
        EXPECT_EQ(r.bottom, t.bottom) << dpi;
    }
    DestroyWindow(target);
}

}  // namespace
