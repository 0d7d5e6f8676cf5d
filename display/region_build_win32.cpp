// Building the nine master outlines and swapping a copy of one onto the window.
#include "display/region.h"
#include "display/region_build_win32.h"
#include "display/region_scan.h"
#include "base/window_win32.h"
#include "display/artwork_win32.h"

HRGN AppliedRegion = nullptr;

namespace {

// The outline built so far; each block's region is folded into it.
struct Accumulation {
    HRGN region;
};

bool FlushBlock(const RegionDataBlock& block, void* context) {
    auto& acc = *static_cast<Accumulation*>(context);
    // The full block size always, whatever the count: the count in the header bounds the read.
    HRGN part = ExtCreateRegion(nullptr, RegionBlockBytes,
                                reinterpret_cast<const RGNDATA*>(&block));
    if (!part) return false;
    if (!acc.region) {
        acc.region = part;
    } else {
        CombineRgn(acc.region, acc.region, part, RGN_OR);
        DeleteObject(part);
    }
    return true;
}

}  // namespace

HRGN BuildRegionFromMask(const uint8_t* mask, int width, int height, int rowStride) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, RegionBlockBytes);
    if (!memory) return nullptr;
    auto* block = static_cast<RegionDataBlock*>(GlobalLock(memory));
    if (!block) {
        GlobalFree(memory);
        return nullptr;
    }
    Accumulation acc{nullptr};
    const bool built = ScanMaskRuns(mask, width, height, rowStride, *block, FlushBlock, &acc);
    if (!built && acc.region) {
        DeleteObject(acc.region);
        acc.region = nullptr;
    }
    GlobalUnlock(memory);
    GlobalFree(memory);
    return acc.region;
}

void ApplyRegionOfFrame(HWND window, int32_t frame) {
    if (frame != AppliedFrame) {
        AppliedFrame = frame;
        // The window system takes whatever region it is given, so the master stays ours and
        // only a copy is handed over; the copy it replaces is freed by the system. Without a
        // master or a copy (out of memory) the window gets no region, the whole square: an
        // empty one would leave it invisible, and out of reach of every click.
        const HRGN master = frame >= 0 && frame < FrameCount ? FrameRegions[frame] : nullptr;
        HRGN copy = master ? CreateRectRgn(0, 0, 0, 0) : nullptr;
        if (copy && CombineRgn(copy, master, nullptr, RGN_COPY) == ERROR) {
            DeleteObject(copy);
            copy = nullptr;
        }
        SetWindowRgn(window, copy, TRUE);
        AppliedRegion = copy;
        if (copy) {
            SetPropA(window, RegionProperty, copy);
        } else {
            RemovePropA(window, RegionProperty);
        }
    }
    InvalidateRect(window, nullptr, FALSE);
}

void ReapplyFrameRegion(HWND window, int32_t frame) {
    AppliedFrame = -1;   // no frame has this number, so the apply below always takes place
    ApplyRegionOfFrame(window, frame);
}
