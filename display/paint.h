// Painting the window: frame, stream, meters and drops.
#pragma once
#include "base/state.h"
// DropParticle, Drops, the shimmer and meter state, and the portable paint plan.
#include "display/paint_plan.h"

// The six drops' starting values; draws from the random generator, so call after seeding.
void InitDrops();

#ifdef _WIN32
#include <windows.h>
// The WM_PAINT handler; returns 0.
LRESULT PaintMainWindow(HWND window);
// The memory contexts the paints keep, given back and deleted: before the bitmaps they hold.
void ReleasePaintContexts();
#endif
