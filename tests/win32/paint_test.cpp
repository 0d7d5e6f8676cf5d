// A paint plan carried out on memory contexts with made-up pictures whose every area has a
// colour of its own, so that each layer shows where it landed.
#include <gtest/gtest.h>
#include <windows.h>
#include <functional>
#include "base/window_win32.h"
#include "display/paint.h"
#include "display/paint_draw_win32.h"
#include "base/settings.h"
#include "sim/sim.h"
#include "res/resource.h"
#include "tests/win32/gdi_objects.h"
#include "display/artwork_win32.h"

namespace {

constexpr uint32_t Black = 0x000000, White = 0xFFFFFF;
constexpr uint32_t Water = 0x2040FF;
constexpr uint32_t CaseColour[3] = {0xE0E0E0, 0x404040, 0x909090};
constexpr uint32_t InstantColour = 0x00C000, CumulativeColour = 0xC08000;
constexpr uint32_t DropColour = 0x80FFFF;

uint32_t FrameColour(int f) { return 0x100000u * (f + 1) + 0x3020; }

// A top-down 32-bit picture whose pixels the test reads and writes directly.
struct Picture {
    HBITMAP bitmap = nullptr;
    uint32_t* bits = nullptr;
    int width = 0, height = 0;
    Picture(int w, int h, const std::function<uint32_t(int, int)>& colour) : width(w), height(h) {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* p = nullptr;
        bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<uint32_t*>(p);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) bits[y * w + x] = colour(x, y);
    }
    ~Picture() { DeleteObject(bitmap); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    uint32_t At(int x, int y) const {
        GdiFlush();
        return bits[y * width + x] & 0xFFFFFF;
    }
};

// In every stream cell the water is the columns 2 to 2 + column of the cell.
bool IsWater(int x, int) { return x % 18 >= 2 && x % 18 <= 2 + x / 18; }

// Drop sprites in the strip's rows 75..82: a drop is the cell's left 2 columns of its first
// 2 rows; sprite black around it, mask white around it and black on it.
bool OnDrop(int x, int y) {
    const int cell = x < 5 ? 0 : x < 9 ? 5 : 9;
    return x - cell < 2 && (y - 75) % 4 < 2;
}

uint32_t StripColour(int x, int y) {
    if (y < 75) {
        const int band = y / 25;
        if (x < 6) return CaseColour[band];
        if (x < 9 || (x >= 12 && x < 18)) return InstantColour + band;
        return CumulativeColour + band;
    }
    if (x < 11) return OnDrop(x, y) ? DropColour : Black;
    if (x < 22) return OnDrop(x - 11, y) ? Black : White;
    return Black;
}

class PaintTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int f = 0; f < FrameCount; ++f) {
            frames[f] = new Picture(48, 48, [f](int, int) { return FrameColour(f); });
            bitmaps.frames[f] = frames[f]->bitmap;
        }
        bitmaps.streamMask = mask.bitmap;
        bitmaps.streamSheet = sheet.bitmap;
        bitmaps.meterStrip = strip.bitmap;
        target = CreateCompatibleDC(nullptr);
        memory = CreateCompatibleDC(nullptr);
        original = SelectObject(target, window.bitmap);
        StreamFlicker = 1;
        InstantMeterGap = CumulativeMeterGap = 0;
        for (auto& d : Drops) d = {};
    }
    void TearDown() override {
        SelectObject(target, original);
        DeleteDC(target);
        DeleteDC(memory);
        for (auto* f : frames) delete f;
    }
    void Draw(const PaintInputs& in) {
        DrawPaintPlan(target, memory, PlanPaint(in, [](uint32_t) { return 0u; }), bitmaps);
    }

    Picture* frames[FrameCount] = {};
    Picture mask{216, 432, [](int x, int y) { return IsWater(x, y) ? Black : White; }};
    Picture sheet{216, 432, [](int x, int y) { return IsWater(x, y) ? Water : Black; }};
    Picture strip{24, 83, StripColour};
    Picture window{48, 48, [](int, int) { return 0x123456u; }};
    PaintBitmaps bitmaps = {};
    HDC target = nullptr, memory = nullptr;
    HGDIOBJ original = nullptr;
};

}  // namespace

TEST_F(PaintTest, FrameAndStreamThroughItsMask) {
    PaintInputs in = {};
    in.frameIndex = 6;
    in.streamLevel = 50;   // columns 6 and 7; this paint the first
    Draw(in);
    const uint32_t frame = FrameColour(6);
    EXPECT_EQ(window.At(0, 0), frame);
    EXPECT_EQ(window.At(29, 40), frame);
    EXPECT_EQ(window.At(47, 47), frame);
    // Column 6 has water in its cell's columns 2..8: window x 32..38.
    EXPECT_EQ(window.At(31, 10), frame);
    EXPECT_EQ(window.At(32, 10), Water);
    EXPECT_EQ(window.At(38, 47), Water);
    EXPECT_EQ(window.At(39, 0), frame);
    Draw(in);   // the shimmer's other column is one pixel wider
    EXPECT_EQ(window.At(39, 0), Water);
    EXPECT_EQ(window.At(40, 0), frame);
}

TEST_F(PaintTest, MetersFromTheTintsBand) {
    PaintInputs in = {};
    in.instantMeterShown = 1;
    in.cumulativeMeterShown = 1;
    in.meterTint = 1;
    in.cpuUsage = 100;     // full: gap stays 0
    in.fillLevel = 0;      // empty: gap stays 25
    CumulativeMeterGap = 25;
    Draw(in);
    EXPECT_EQ(window.At(18, 21), InstantColour + 1);
    EXPECT_EQ(window.At(20, 45), InstantColour + 1);
    EXPECT_EQ(window.At(21, 21), CaseColour[1]);
    EXPECT_EQ(window.At(23, 45), CaseColour[1]);
    EXPECT_EQ(window.At(17, 30), FrameColour(0));
    EXPECT_EQ(window.At(24, 30), FrameColour(0));
    EXPECT_EQ(window.At(18, 20), FrameColour(0));
    EXPECT_EQ(window.At(18, 46), FrameColour(0));

    in.cumulativeMeterShown = 0;
    in.meterTint = 9;   // no such band: the standard one
    Draw(in);
    EXPECT_EQ(window.At(18, 21), InstantColour + 2);
    EXPECT_EQ(window.At(23, 45), InstantColour + 2);
}

TEST_F(PaintTest, DropsThroughTheirMasks) {
    PaintInputs in = {};
    in.dropsEffect = 1;
    Drops[1] = {1, 10, 12, 4, 3, 1, 5};
    Drops[2] = {0, 20, 12, 2, 2, 0, 9};   // hidden: not drawn
    Draw(in);
    const uint32_t frame = FrameColour(0);
    EXPECT_EQ(window.At(10, 12), DropColour);
    EXPECT_EQ(window.At(11, 13), DropColour);
    EXPECT_EQ(window.At(12, 12), frame);   // inside the sprite's box, outside the drop
    EXPECT_EQ(window.At(10, 14), frame);
    EXPECT_EQ(window.At(20, 12), frame);
}

TEST_F(PaintTest, MissingBitmapsLeaveTheirLayersOutAndTheContextIsHandedBack) {
    HGDIOBJ before = GetCurrentObject(memory, OBJ_BITMAP);
    bitmaps.frames[0] = nullptr;
    bitmaps.streamSheet = nullptr;
    PaintInputs in = {};
    in.instantMeterShown = 1;
    in.cpuUsage = 100;
    Draw(in);
    EXPECT_EQ(GetCurrentObject(memory, OBJ_BITMAP), before);
    EXPECT_EQ(window.At(0, 0), 0x123456u);
    EXPECT_EQ(window.At(32, 5), Black);   // the mask alone darkens the water
    EXPECT_EQ(window.At(18, 21), InstantColour);
    // A frame number outside the nine draws no frame rather than reading past the table.
    in.frameIndex = 9;
    bitmaps.frames[0] = frames[0]->bitmap;
    Draw(in);
    EXPECT_EQ(window.At(0, 0), 0x123456u);
}

namespace {

LRESULT CALLBACK PaintingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) return PaintMainWindow(window);
    return DefWindowProcA(window, message, wParam, lParam);
}

COLORREF AsColorRef(uint32_t rgb) { return RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF); }

}  // namespace

TEST_F(PaintTest, PaintMainWindowDrawsOnTheWindowAndKeepsNothing) {
    for (int f = 0; f < FrameCount; ++f) FrameBitmaps[f] = frames[f]->bitmap;
    StreamMask = mask.bitmap;
    StreamSheet = sheet.bitmap;
    MeterStrip = strip.bitmap;
    AppSettings = {};
    AppSettings.DropsEffect = 1;
    FrameIndex = 2;
    StreamLevel = 0;
    InitDrops();

    WNDCLASSA wc = {};
    wc.lpfnWndProc = PaintingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PaintTestWindow";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "PaintTestWindow", "", WS_POPUP,
                             120, 120, 48, 48, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(w, nullptr);
    ShowWindow(w, SW_SHOWNOACTIVATE);
    UpdateWindow(w);

    const int objectsBefore = LiveGdiObjects();
    for (int paint = 0; paint < 20; ++paint) {
        const int32_t flicker = StreamFlicker;
        InvalidateRect(w, nullptr, FALSE);
        UpdateWindow(w);
        EXPECT_NE(StreamFlicker, flicker);                 // one plan per paint
        EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));    // the paint validated the window
    }
    EXPECT_EQ(LiveGdiObjects(), objectsBefore);

    HDC dc = GetDC(w);
    EXPECT_EQ(GetPixel(dc, 3, 3), AsColorRef(FrameColour(2)));
    EXPECT_EQ(GetPixel(dc, 25, 40), AsColorRef(FrameColour(2)));
    EXPECT_EQ(GetPixel(dc, 32, 20), AsColorRef(Water));   // both shimmer columns
    EXPECT_EQ(GetPixel(dc, 45, 20), AsColorRef(FrameColour(2)));
    ReleaseDC(w, dc);

    DestroyWindow(w);
    ReleasePaintContexts();   // the pictures are deleted next
    for (HBITMAP& b : FrameBitmaps) b = nullptr;
    StreamMask = StreamSheet = MeterStrip = nullptr;
    FrameIndex = 0;
}

// The real pictures: with meters and drops off, everything left of the stream is the frame.
TEST(PaintResources, WindowShowsTheFrameOutsideTheStream) {
    const HINSTANCE self = GetModuleHandleA(nullptr);
    for (int f = 0; f < FrameCount; ++f) {
        FrameBitmaps[f] = LoadBitmapA(self, MAKEINTRESOURCEA(IDB_FRAME_FIRST + f));
        ASSERT_NE(FrameBitmaps[f], nullptr);
    }
    StreamSheet = LoadBitmapA(self, MAKEINTRESOURCEA(IDB_STREAM_SHEET));
    StreamMask = LoadBitmapA(self, MAKEINTRESOURCEA(IDB_STREAM_MASK));
    MeterStrip = LoadBitmapA(self, MAKEINTRESOURCEA(IDB_METER_STRIP));
    AppSettings = {};

    WNDCLASSA wc = {};
    wc.lpfnWndProc = PaintingProc;
    wc.hInstance = self;
    wc.lpszClassName = "PaintResourcesWindow";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, wc.lpszClassName, "", WS_POPUP,
                             200, 120, 48, 48, nullptr, nullptr, self, nullptr);
    ASSERT_NE(w, nullptr);
    ShowWindow(w, SW_SHOWNOACTIVATE);
    HDC dc = GetDC(w);
    HDC frame = CreateCompatibleDC(dc);
    for (int f : {0, 4, 8}) {
        SCOPED_TRACE(f);
        FrameIndex = f;
        StreamLevel = 100;
        InvalidateRect(w, nullptr, FALSE);
        UpdateWindow(w);
        // The paint keeps the frame in its own context, and a bitmap sits in one at a time.
        ReleasePaintContexts();
        HGDIOBJ old = SelectObject(frame, FrameBitmaps[f]);
        int wrong = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < StreamLeft; ++x)
                if (GetPixel(dc, x, y) != GetPixel(frame, x, y)) ++wrong;
        SelectObject(frame, old);
        EXPECT_EQ(wrong, 0);
    }
    DeleteDC(frame);
    ReleaseDC(w, dc);
    DestroyWindow(w);
    for (HBITMAP& b : FrameBitmaps) {
        DeleteObject(b);
        b = nullptr;
    }
    for (HBITMAP* b : {&StreamSheet, &StreamMask, &MeterStrip}) {
        DeleteObject(*b);
        *b = nullptr;
    }
    FrameIndex = 0;
    StreamLevel = 0;
}
