#include "display/region_scan.h"
#include "display/region.h"

// Portable so that the core can read which frame's outline the window wears.
int32_t AppliedFrame = 0;

namespace {

void ResetBlock(RegionDataBlock& block) {
    block.headerSize = RegionHeaderBytes;
    block.type = RegionTypeRectangles;
    block.count = 0;
    block.regionSize = 0;
    block.bound = {RegionBoundStart, RegionBoundStart, 0, 0};
}

void AppendRun(RegionDataBlock& block, int32_t x0, int32_t y, int32_t x) {
    block.rects[block.count] = {x0, y, x, y + 1};
    RegionRect& b = block.bound;
    if (x0 < b.left) b.left = x0;
    if (y < b.top) b.top = y;
    if (x > b.right) b.right = x;
    if (y + 1 > b.bottom) b.bottom = y + 1;
    ++block.count;
}

}  // namespace

bool ScanMaskRuns(const uint8_t* mask, int width, int height, int rowStride,
                  RegionDataBlock& block, RegionFlush flush, void* context) {
    ResetBlock(block);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = mask + static_cast<ptrdiff_t>(y) * rowStride;
        for (int x = 0; x < width; ++x) {
            if (row[x] != MaskInside) continue;
            const int x0 = x;
            while (x < width && row[x] == MaskInside) ++x;
            AppendRun(block, x0, y, x);
            if (block.count == RegionBlockRects) {
                if (!flush(block, context)) return false;
                ResetBlock(block);
            }
            // x now stands on the outside byte that ended the run (or the row's end), which
            // the loop's step passes over.
        }
    }
    return flush(block, context);
}
