// The window outline as rectangles: one per horizontal run of inside pixels, gathered into
// blocks laid out exactly as the platform's rectangle-list region data. Portable.
#pragma once
#include <cstddef>
#include <cstdint>

struct RegionRect {
    int32_t left, top, right, bottom;
};

constexpr uint32_t RegionHeaderBytes = 32;
constexpr uint32_t RegionTypeRectangles = 1;   // RDH_RECTANGLES
constexpr uint32_t RegionBlockRects = 200;
constexpr int32_t RegionBoundStart = 2147483647;

// Byte for byte an RGNDATA record with room for RegionBlockRects rectangles.
struct RegionDataBlock {
    uint32_t headerSize;   // RegionHeaderBytes
    uint32_t type;         // RegionTypeRectangles
    uint32_t count;        // rectangles in use, 0..RegionBlockRects
    uint32_t regionSize;   // 0: the platform works it out
    RegionRect bound;      // starts (RegionBoundStart, RegionBoundStart, 0, 0), grows
    RegionRect rects[RegionBlockRects];
};
constexpr size_t RegionBlockBytes = 3232;
static_assert(sizeof(RegionDataBlock) == RegionBlockBytes, "must match RGNDATA's layout");
static_assert(offsetof(RegionDataBlock, rects) == RegionHeaderBytes, "header is 32 bytes");

// The mask is 0 inside the shape and anything else outside, rowStride bytes per row.
constexpr uint8_t MaskInside = 0;

// Called with each full block and once more with the last, however few rectangles it holds
// (an all-outside mask still gives one call with count 0). Answers false to stop the scan.
using RegionFlush = bool (*)(const RegionDataBlock& block, void* context);

// Scans rows top to bottom, columns left to right, into block (the caller's memory, which may
// be locked global memory) and hands each block to flush. Answers false as soon as a flush
// fails. Width and height must not exceed what the mask holds; negative ones scan nothing.
bool ScanMaskRuns(const uint8_t* mask, int width, int height, int rowStride,
                  RegionDataBlock& block, RegionFlush flush, void* context);
