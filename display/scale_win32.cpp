// The display scale on Windows: reading the window's DPI, and remaking the shapes, the paint's
// buffers, the icons and the cursors for it.
#include "display/scale_win32.h"
#include "base/settings.h"
#include "base/system_win32.h"
#include "display/tray.h"
#include "base/window_win32.h"
#include "display/frame_masks.h"
#include "display/monitors.h"
#include "display/region.h"
#include "display/region_build_win32.h"
#include "res/resource.h"
#include "sim/sim.h"
#include "display/artwork_win32.h"

namespace {

// Both from Windows 10 1607 on; older systems have one scale for every monitor, which the
// screen's device context and the plain metrics report.
using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiCall = int(WINAPI*)(int, UINT);
SystemCallSlot DpiForWindowSlot = {User32Library, "GetDpiForWindow", LibrarySource::AlreadyLoaded,
                                   false, nullptr};
SystemCallSlot MetricsForDpiSlot = {User32Library, "GetSystemMetricsForDpi",
                                    LibrarySource::AlreadyLoaded, false, nullptr};

// Windows 8.1 gave each monitor its own scale, told by shcore.dll; 8.1 and 10 before 1607
// have no GetDpiForWindow to ask instead. MonitorFromWindow is missing on 95 and NT 4.
using GetDpiForMonitorCall = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using MonitorFromWindowCall = HMONITOR(WINAPI*)(HWND, DWORD);
constexpr char ShcoreLibrary[] = "shcore.dll";
constexpr int EffectiveDpi = 0;   // MDT_EFFECTIVE_DPI: the scale the user chose
SystemCallSlot DpiForMonitorSlot = {ShcoreLibrary, "GetDpiForMonitor",
                                    LibrarySource::SystemFolder, false, nullptr};
SystemCallSlot MonitorFromWindowSlot = {User32Library, "MonitorFromWindow",
                                        LibrarySource::AlreadyLoaded, false, nullptr};

// A scaled paint is composed at the artwork's size, then enlarged into the second buffer.
// Both are 32-bit top-down DIB sections, so their pixels can be reached directly, each kept
// selected in a memory context of its own until the scale changes: a paint then makes no
// context and selects nothing (under Wine each selection asks the server about the displays).
struct PaintBuffer {
    HBITMAP bitmap;
    uint32_t* pixels;
    HDC context;
    HGDIOBJ original;   // the context's own bitmap, back in it before the context goes
};
PaintBuffer Compose = {};
PaintBuffer Enlarged = {};
int32_t EnlargedSide = 0;

// The side the tray's pictures were loaded at.
int TrayPictureSide = 0;

// Set while a DPI change is applied: moving the window to the place Windows suggests could
// bring another WM_DPICHANGED inside that very move.
bool ApplyingDpiChange = false;

int32_t ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : BaseDpi;
}

int MetricForDpi(int index, int32_t dpi) {
    if (const auto forDpi = SystemCall<GetSystemMetricsForDpiCall>(MetricsForDpiSlot)) {
        const int value = forDpi(index, static_cast<UINT>(dpi));
        if (value > 0) return value;
    }
    return GetSystemMetrics(index);
}

bool MakeBuffer(int32_t side, PaintBuffer& buffer) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = side;
    info.bmiHeader.biHeight = -side;   // top-down: row 0 first, as the enlargement writes it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    buffer.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!buffer.bitmap) return false;
    buffer.pixels = static_cast<uint32_t*>(bits);
    buffer.context = CreateCompatibleDC(nullptr);
    if (!buffer.context) return false;
    buffer.original = SelectObject(buffer.context, buffer.bitmap);
    return true;
}

void DeleteBuffer(PaintBuffer& buffer) {
    if (buffer.context) {
        if (buffer.original) SelectObject(buffer.context, buffer.original);
        DeleteDC(buffer.context);
    }
    if (buffer.bitmap) DeleteObject(buffer.bitmap);
    buffer = {};
}

void DeleteBuffers() {
    DeleteBuffer(Compose);
    DeleteBuffer(Enlarged);
    EnlargedSide = 0;
}

// At 100 % the window is painted straight from the artwork and needs no buffers.
void RemakeBuffers(int32_t side) {
    DeleteBuffers();
    if (side == ArtworkSide) return;
    if (!MakeBuffer(ArtworkSide, Compose) || !MakeBuffer(side, Enlarged)) {
        DeleteBuffers();   // the paint then draws at the artwork's size
        return;
    }
    EnlargedSide = side;
}

// enlarged is room for one frame's mask at side (side x side bytes), or null: no shape.
HRGN BuildEnlargedFrameRegion(int frame, int32_t side, uint8_t* enlarged) {
    if (!enlarged) return nullptr;
    const uint8_t* mask =
        FrameShapeMasks + static_cast<ptrdiff_t>(frame) * FrameMaskSide * FrameMaskSide;
    EnlargeArtwork(mask, FrameMaskSide, side, enlarged);
    return BuildRegionFromMask(enlarged, side, side, side);
}

// The shape is scanned from each frame's mask enlarged as the paint enlarges the picture.
void RebuildFrameRegions(int32_t side) {
    const HANDLE heap = GetProcessHeap();
    uint8_t* enlarged =
        side == ArtworkSide ? nullptr : static_cast<uint8_t*>(HeapAlloc(heap, 0, side * side));
    for (int i = 0; i < FrameCount; ++i) {
        HRGN fresh = nullptr;
        if (FrameBitmaps[i]) {
            fresh = side == ArtworkSide ? BuildFrameRegion(i, FrameBitmaps[i])
                                        : BuildEnlargedFrameRegion(i, side, enlarged);
        }
        if (FrameRegions[i]) DeleteObject(FrameRegions[i]);
        FrameRegions[i] = fresh;
    }
    if (enlarged) HeapFree(heap, 0, enlarged);
}

HICON LoadIconSized(int id, int size) {
    return static_cast<HICON>(
        LoadImageA(Instance, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

HCURSOR LoadCursorSized(int id, int size) {
    return static_cast<HCURSOR>(
        LoadImageA(Instance, MAKEINTRESOURCEA(id), IMAGE_CURSOR, size, size, LR_DEFAULTCOLOR));
}

void ReplaceIcon(HICON& slot, HICON fresh) {
    const HICON old = slot;
    slot = fresh;
    if (old) DestroyIcon(old);
}

// A cursor showing now is handed over to its successor before it goes.
void ReplaceCursor(HCURSOR& slot, HCURSOR fresh) {
    const HCURSOR old = slot;
    slot = fresh;
    if (!old) return;
    if (GetCursor() == old) SetCursor(fresh);
    DestroyCursor(old);
}

// The tray's pictures at the small-icon size of the system's scale, whichever monitor the
// sozu stands on: the taskbar draws them at that scale, and would shrink a larger picture.
// GetSystemMetrics answers for the system's scale in a process aware of each monitor's. The
// shell keeps its own copy of a tray icon, so the old pictures can go once the new one is
// sent; at an unchanged size nothing is sent.
void ReloadTrayPictures(HWND window) {
    const int small = GetSystemMetrics(SM_CXSMICON);
    if (IconResting && IconTipping && small == TrayPictureSide) return;
    TrayPictureSide = small;
    const HICON oldResting = IconResting;
    const HICON oldTipping = IconTipping;
    IconTipping = LoadIconSized(IDI_TRAY_TIPPING, small);
    IconResting = LoadIconSized(IDI_APP, small);
    if (window) {
        SetClassLongPtrA(window, GCLP_HICON, reinterpret_cast<LONG_PTR>(IconResting));
        RefreshTrayPicture();
    }
    if (oldResting) DestroyIcon(oldResting);
    if (oldTipping) DestroyIcon(oldTipping);
}

// The cursors at the size the system asks for at the window's own dpi.
void ReloadCursors(int32_t dpi) {
    const int cursor = MetricForDpi(SM_CXCURSOR, dpi);
    ReplaceCursor(CursorHand, LoadCursorSized(IDCUR_HAND, cursor));
    ReplaceCursor(CursorLadle, LoadCursorSized(IDCUR_LADLE, cursor));
    ReplaceCursor(CursorLadlePouring, LoadCursorSized(IDCUR_LADLE_POURING, cursor));
}

}  // namespace

int32_t WindowDpi(HWND window) {
    if (!window) return ScreenDpi();
    if (const auto forWindow = SystemCall<GetDpiForWindowCall>(DpiForWindowSlot)) {
        const UINT dpi = forWindow(window);
        if (dpi > 0) return static_cast<int32_t>(dpi);
    }
    const auto monitorOf = SystemCall<MonitorFromWindowCall>(MonitorFromWindowSlot);
    return monitorOf ? MonitorDpi(monitorOf(window, MONITOR_DEFAULTTONEAREST)) : ScreenDpi();
}

int32_t MonitorDpi(HMONITOR monitor) {
    const auto forMonitor = SystemCall<GetDpiForMonitorCall>(DpiForMonitorSlot);
    UINT x = 0, y = 0;
    if (monitor && forMonitor && SUCCEEDED(forMonitor(monitor, EffectiveDpi, &x, &y)) && x > 0) {
        return static_cast<int32_t>(x);
    }
    return ScreenDpi();
}

void ApplyDisplayScale(HWND window, int32_t dpi) {
    SetDisplayScaleDpi(dpi);
    const int32_t side = DisplayScale.side;
    RebuildFrameRegions(side);
    RemakeBuffers(side);
    ReloadTrayPictures(window);
    ReloadCursors(DisplayScale.dpi);
    if (window) ReapplyFrameRegion(window, FrameIndex);
}

void AdoptWindowDpi(HWND window) {
    const int32_t dpi = WindowDpi(window);
    if (dpi == DisplayScale.dpi) return;
    ApplyDisplayScale(window, dpi);
    SetWindowPos(window, nullptr, 0, 0, DisplayScale.side, DisplayScale.side,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT OnDpiChanged(HWND window, WPARAM dpis, LPARAM suggested) {
    if (!FreePlacement(AppSettings.PositionMode)) {
        // The message may tell of a monitor's new scale: the next perch reads it.
        ReadMonitors();
        return 0;
    }
    if (ApplyingDpiChange) return 0;
    ApplyingDpiChange = true;
    ApplyDisplayScale(window, LOWORD(dpis));
    const int32_t side = DisplayScale.side;
    const RECT* to = reinterpret_cast<const RECT*>(suggested);
    const UINT keep = to ? 0 : SWP_NOMOVE;
    SetWindowPos(window, nullptr, to ? to->left : 0, to ? to->top : 0, side, side,
                 keep | SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyingDpiChange = false;
    return 0;
}

LRESULT OnGetDpiScaledSize(WPARAM dpi, LPARAM size) {
    SIZE* to = reinterpret_cast<SIZE*>(size);
    if (!to) return FALSE;
    to->cx = to->cy = SozuSideForDpi(static_cast<int32_t>(dpi));
    return TRUE;
}

void DrawScaledPaintPlan(HDC target, SourceContext* const (&sources)[PaintSourceCount],
                         const PaintPlan& plan, const PaintBitmaps& bitmaps) {
    if (EnlargedSide == 0 || EnlargedSide != DisplayScale.side) {
        DrawPaintPlan(target, sources, plan, bitmaps);
        return;
    }
    DrawPaintPlan(Compose.context, sources, plan, bitmaps);
    GdiFlush();   // the blits must have reached the pixels before they are read
    EnlargeArtwork(Compose.pixels, ArtworkSide, EnlargedSide, Enlarged.pixels);
    BitBlt(target, 0, 0, EnlargedSide, EnlargedSide, Enlarged.context, 0, 0, SRCCOPY);
}

void ReleaseScaledGraphics() {
    DeleteBuffers();
    ReplaceIcon(IconResting, nullptr);
    ReplaceIcon(IconTipping, nullptr);
    TrayPictureSide = 0;
}
