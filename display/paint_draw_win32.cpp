// Carrying out a paint plan: each transfer from its bitmap through a memory context.
#include "display/paint_draw_win32.h"
#include "display/artwork_win32.h"

static_assert(RopCopy == SRCCOPY && RopAnd == SRCAND && RopPaint == SRCPAINT,
              "the plan's raster operations are the platform's");

namespace {

HBITMAP SourceBitmap(const PaintBitmaps& bitmaps, PaintSource source, int32_t frame) {
    switch (source) {
    case PaintSource::Frame:
        return frame >= 0 && frame < FrameCount ? bitmaps.frames[frame] : nullptr;
    case PaintSource::StreamMask: return bitmaps.streamMask;
    case PaintSource::StreamSheet: return bitmaps.streamSheet;
    case PaintSource::MeterStrip: return bitmaps.meterStrip;
    }
    return nullptr;
}

}  // namespace

void DrawPaintPlan(HDC target, HDC memory, const PaintPlan& plan, const PaintBitmaps& bitmaps) {
    HGDIOBJ original = nullptr;
    HBITMAP selected = nullptr;
    for (int i = 0; i < plan.count; ++i) {
        const Blit& b = plan.blits[i];
        HBITMAP source = SourceBitmap(bitmaps, b.source, plan.frame);
        // A bitmap that failed to load leaves its layer out rather than copying whatever the
        // memory context last held.
        if (!source) continue;
        if (source != selected) {
            HGDIOBJ previous = SelectObject(memory, source);
            if (!original) original = previous;
            selected = source;
        }
        BitBlt(target, b.dstX, b.dstY, b.width, b.height, memory, b.srcX, b.srcY, b.rop);
    }
    // Hand the context its own bitmap back: a bitmap sits in one context at a time, and ours
    // must stay free for the next paint and for deletion at shutdown.
    if (original) SelectObject(memory, original);
}

PaintBitmaps ProgramBitmaps() {
    PaintBitmaps bitmaps = {};
    for (int i = 0; i < FrameCount; ++i) bitmaps.frames[i] = FrameBitmaps[i];
    bitmaps.streamMask = StreamMask;
    bitmaps.streamSheet = StreamSheet;
    bitmaps.meterStrip = MeterStrip;
    return bitmaps;
}
