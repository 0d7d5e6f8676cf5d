// The outline of a numbered frame from the shape-mask table, and the per-step swap.
#include "display/region.h"
#include "display/frame_masks.h"
#include "display/region_build_win32.h"
#include "base/window_win32.h"
#include "sim/sim.h"
#include "display/artwork_win32.h"

HRGN BuildFrameRegion(int frame, HBITMAP bitmap) {
    if (!bitmap || frame < 0 || frame >= FrameCount) return nullptr;
    BITMAP info = {};
    if (!GetObjectA(bitmap, sizeof info, &info)) return nullptr;
    // The bitmap only sizes the scan; the table holds 48 by 48 per frame, so a larger bitmap
    // must not walk the scan into the next row or frame (or past the table's end).
    const int width = info.bmWidth < FrameMaskSide ? info.bmWidth : FrameMaskSide;
    const int height = info.bmHeight < FrameMaskSide ? info.bmHeight : FrameMaskSide;
    const uint8_t* mask =
        FrameShapeMasks + static_cast<ptrdiff_t>(frame) * FrameMaskSide * FrameMaskSide;
    return BuildRegionFromMask(mask, width, height, FrameMaskSide);
}

void ApplyFrameRegion(WindowHandle window) {
    ApplyRegionOfFrame(static_cast<HWND>(window), FrameIndex);
}
