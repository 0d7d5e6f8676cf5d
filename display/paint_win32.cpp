// The paint handler: the plan of this paint carried out on the window's paint context.
#include "display/paint.h"
#include "display/paint_draw_win32.h"
#include "display/paint_state.h"
#include "display/scale_win32.h"

namespace {

// The memory contexts of every paint, one for each kind of source bitmap, made at the first
// paint and kept: a paint at rest then selects no bitmap and makes no context.
SourceContext Kept[PaintSourceCount] = {};
SourceContext* const KeptByKind[PaintSourceCount] = {&Kept[0], &Kept[1], &Kept[2], &Kept[3]};

bool KeepSourceContexts(HDC target) {
    for (SourceContext& c : Kept) {
        if (!c.memory) c.memory = CreateCompatibleDC(target);
        if (!c.memory) return false;
    }
    return true;
}

}  // namespace

LRESULT PaintMainWindow(HWND window) {
    PAINTSTRUCT ps;
    HDC target = BeginPaint(window, &ps);
    const PaintPlan plan = PlanCurrentPaint();
    if (KeepSourceContexts(target)) DrawScaledPaintPlan(target, KeptByKind, plan, ProgramBitmaps());
    EndPaint(window, &ps);
    return 0;
}

void ReleasePaintContexts() {
    for (SourceContext& c : Kept) {
        ReleaseSourceContext(c);
        if (c.memory) DeleteDC(c.memory);
        c.memory = nullptr;
    }
}
