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

// A memory context a paint draws its source bitmaps from: the bitmap it holds now, and the
// one it came with.
struct SourceContext {
    HDC memory;
    HBITMAP held;
    HGDIOBJ original;
};
constexpr int PaintSourceCount = 4;   // the kinds of PaintSource

// Copies each transfer of plan onto target, through the context given for its kind of source
// (PaintSource order; kinds may share one), each compatible with target; transfers whose
// bitmap is missing are left out. Each context is left holding the bitmap it drew from last,
// so that a later paint from the same bitmap selects nothing: under Wine every selection asks
// the server three times about the displays.
void DrawPaintPlan(HDC target, SourceContext* const (&sources)[PaintSourceCount],
                   const PaintPlan& plan, const PaintBitmaps& bitmaps);
// The context's own bitmap back in it: before it, or a bitmap it holds, is deleted.
void ReleaseSourceContext(SourceContext& context);

// The same through memory alone, left as it was found.
void DrawPaintPlan(HDC target, HDC memory, const PaintPlan& plan, const PaintBitmaps& bitmaps);

// The bitmaps the program loaded at start-up.
PaintBitmaps ProgramBitmaps();
