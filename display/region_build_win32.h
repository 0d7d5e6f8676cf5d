// The Win32 halves of the outline code that work on a given mask or frame number, so that
// they can be driven without the generated mask table or the simulation.
#pragma once
#include <windows.h>
#include <cstdint>
#include "display/artwork_win32.h"

// One region from a mask (0 inside), scanned over width by height with rowStride bytes a
// row; none when memory or a region cannot be had, after deleting every partial region.
HRGN BuildRegionFromMask(const uint8_t* mask, int width, int height, int rowStride);

// Applies a copy of FrameRegions[frame] when frame differs from AppliedFrame, then always
// invalidates the window without erasing.
void ApplyRegionOfFrame(HWND window, int32_t frame);

// Applies a copy of FrameRegions[frame] whatever frame was applied before: the regions were
// remade for another display scale.
void ReapplyFrameRegion(HWND window, int32_t frame);
