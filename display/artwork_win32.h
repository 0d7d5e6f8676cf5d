// The artwork's bitmaps and the frames' outlines, made once at start-up and again for another
// display scale.
#pragma once
#include <windows.h>

constexpr int FrameCount = 9;
extern HBITMAP FrameBitmaps[FrameCount];
extern HRGN FrameRegions[FrameCount];
extern HBITMAP StreamSheet;
extern HBITMAP StreamMask;
extern HBITMAP MeterStrip;
