// The paint handler: the plan of this paint carried out on the window's paint context.
#include "display/paint.h"
#include "display/paint_draw_win32.h"
#include "display/paint_state.h"
#include "display/scale_win32.h"

LRESULT PaintMainWindow(HWND window) {
    PAINTSTRUCT ps;
    HDC target = BeginPaint(window, &ps);
    HDC memory = CreateCompatibleDC(target);
    DrawScaledPaintPlan(target, memory, PlanCurrentPaint(), ProgramBitmaps());
    EndPaint(window, &ps);
    DeleteDC(memory);
    return 0;
}
