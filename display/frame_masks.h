// The window's shape for each frame: which pixels of the 48 by 48 picture belong to it.
// The table is made by tools/assetgen from the frame pictures, frame-major:
// FrameShapeMasks[(frame * 48 + y) * 48 + x] is 0 inside the shape (the picture's pixel is
// not black) and 1 outside (black background).
#pragma once
#include <cstdint>

constexpr int FrameMaskSide = 48;
extern const uint8_t FrameShapeMasks[9 * 48 * 48];
