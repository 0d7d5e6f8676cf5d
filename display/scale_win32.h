// Everything of the sozu that depends on the display scale, made in one place when the scale
// changes: the nine window shapes, the buffers a scaled paint is composed in, the icons and
// the cursors.
#pragma once
#include <windows.h>
#include "display/paint_draw_win32.h"
#include "base/scale.h"

// The DPI the window is shown at: GetDpiForWindow where it exists (Windows 10 1607 on), else
// that of the monitor it stands on (MonitorDpi), else the screen's LOGPIXELSX, which is the
// system's one scale. window may be null: the screen's.
int32_t WindowDpi(HWND window);

// A monitor's own DPI where the system tells it (Windows 8.1 on), else the screen's.
int32_t MonitorDpi(HMONITOR monitor);

// Sets DisplayScale for dpi and remakes what depends on it. Before the window exists this only
// makes the pictures; with a window it also puts the new shape on and repaints.
void ApplyDisplayScale(HWND window, int32_t dpi);

// The window now exists: takes its own DPI (its monitor's, which may differ from the screen's
// the start-up measured) and gives it the size for it.
void AdoptWindowDpi(HWND window);

// WM_DPICHANGED: another monitor or another scale setting. A free sozu takes the new scale and
// the position Windows suggests. A perched one keeps its size: the monitor of the window it
// stands beside decides that at the next perch, and nothing moves from within this message.
LRESULT OnDpiChanged(HWND window, WPARAM dpis, LPARAM suggested);

// WM_GETDPISCALEDSIZE: the sozu's side at the coming DPI, so that the rectangle Windows
// suggests with WM_DPICHANGED is exactly the sozu's.
LRESULT OnGetDpiScaledSize(WPARAM dpi, LPARAM size);

// Draws plan at the scale in force: straight onto target at 100 %, else composed at the
// artwork's size and enlarged pixel for pixel.
void DrawScaledPaintPlan(HDC target, SourceContext* const (&sources)[PaintSourceCount],
                         const PaintPlan& plan, const PaintBitmaps& bitmaps);

// At shutdown: the shapes, buffers, icons and cursors the scale made.
void ReleaseScaledGraphics();
