#include "display/artwork_win32.h"

HBITMAP FrameBitmaps[FrameCount] = {};
HRGN FrameRegions[FrameCount] = {};
HBITMAP StreamSheet = nullptr;
HBITMAP StreamMask = nullptr;
HBITMAP MeterStrip = nullptr;
