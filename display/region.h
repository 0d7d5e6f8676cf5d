// The window's outline for each frame, and swapping it in as the frame changes.
#pragma once
#include "base/state.h"

extern int32_t AppliedFrame;

#ifdef _WIN32
#include <windows.h>
extern HRGN AppliedRegion;
// One region per frame from the shape-mask table; the bitmap gives the scan's size only.
HRGN BuildFrameRegion(int frame, HBITMAP bitmap);
// The same from any mask, and the swap for a given frame: display/region_build_win32.h.
#endif
// Applies a copy of FrameIndex's region when the frame changed; always invalidates.
void ApplyFrameRegion(WindowHandle window);
