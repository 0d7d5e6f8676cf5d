// Carrying out a paint plan on any device context.
#pragma once
#include <windows.h>
#include "display/paint_plan.h"
#include "base/window_win32.h"
#include "display/artwork_win32.h"

struct PaintBitmaps {
    HBITMAP frames[FrameCount];
    HBITMAP streamMask;
    HBITMAP streamSheet;
    HBITMAP meterStrip;
};

// Copies each transfer of plan onto target through memory, a memory context compatible with
// it; transfers whose bitmap is missing are left out. Leaves memory as it found it.
void DrawPaintPlan(HDC target, HDC memory, const PaintPlan& plan, const PaintBitmaps& bitmaps);

// The bitmaps the program loaded at start-up.
PaintBitmaps ProgramBitmaps();
