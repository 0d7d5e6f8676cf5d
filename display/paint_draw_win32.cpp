// Carrying out a paint plan: each transfer from its bitmap through a memory context.
#include "display/paint_draw_win32.h"
#include "display/artwork_win32.h"

static_assert(RopCopy == SRCCOPY && RopAnd == SRCAND && RopPaint == SRCPAINT,
              "the plan's raster operations are the platform's");
static_assert(static_cast<int>(PaintSource::MeterStrip) + 1 == PaintSourceCount,
              "a source context for each kind of source");

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

void DrawPaintPlan(HDC target, SourceContext* const (&sources)[PaintSourceCount],
                   const PaintPlan& plan, const PaintBitmaps& bitmaps) {
    for (int i = 0; i < plan.count; ++i) {
        const Blit& b = plan.blits[i];
        HBITMAP source = SourceBitmap(bitmaps, b.source, plan.frame);
        // A bitmap that failed to load leaves its layer out rather than copying whatever the
        // memory context last held.
        if (!source) continue;
        SourceContext& context = *sources[static_cast<int>(b.source)];
        if (source != context.held) {
            const HGDIOBJ previous = SelectObject(context.memory, source);
            if (!context.original) context.original = previous;
            context.held = source;
        }
        BitBlt(target, b.dstX, b.dstY, b.width, b.height, context.memory, b.srcX, b.srcY, b.rop);
    }
}

void ReleaseSourceContext(SourceContext& context) {
    // A bitmap sits in one context at a time: the held one must be free to be deleted.
    if (context.original) SelectObject(context.memory, context.original);
    context.original = nullptr;
    context.held = nullptr;
}

void DrawPaintPlan(HDC target, HDC memory, const PaintPlan& plan, const PaintBitmaps& bitmaps) {
    SourceContext shared = {memory, nullptr, nullptr};
    SourceContext* const sources[PaintSourceCount] = {&shared, &shared, &shared, &shared};
    DrawPaintPlan(target, sources, plan, bitmaps);
    ReleaseSourceContext(shared);
}

PaintBitmaps ProgramBitmaps() {
    PaintBitmaps bitmaps = {};
    for (int i = 0; i < FrameCount; ++i) bitmaps.frames[i] = FrameBitmaps[i];
    bitmaps.streamMask = StreamMask;
    bitmaps.streamSheet = StreamSheet;
    bitmaps.meterStrip = MeterStrip;
    return bitmaps;
}
