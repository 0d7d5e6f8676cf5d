#include "display/paint_plan.h"

DropParticle Drops[DropCount] = {};
int32_t StreamFlicker = 0;
int32_t InstantMeterGap = 0;
int32_t CumulativeMeterGap = 0;

namespace {

constexpr uint8_t SwitchOn = 1;
constexpr int32_t StreamLevelPerWidth = 16;
constexpr int32_t WidestStreamBase = 10;
constexpr int32_t ValueMax = 100;
constexpr int32_t ValuePerRow = 4;
constexpr int32_t DropWanderEdge = 28;

struct DropShape {
    int32_t width, height, spriteX;
};
constexpr DropShape DropShapes[] = {{2, 2, 0}, {4, 3, 5}, {2, 2, 9}};
constexpr int DropShapeCount = sizeof DropShapes / sizeof DropShapes[0];

// A bar as the meters table gives it: where it goes, how wide, where its pixels are.
struct BarLayout {
    int32_t windowX, width, stripX;
};
constexpr BarLayout InstantNarrow = {18, 3, 6};
constexpr BarLayout CumulativeNarrow = {21, 3, 9};
constexpr BarLayout InstantWide = {18, 6, 12};
constexpr BarLayout CumulativeWide = {18, 6, 18};

void Add(PaintPlan& plan, PaintSource source, int32_t srcX, int32_t srcY, int32_t width,
         int32_t height, int32_t dstX, int32_t dstY, uint32_t rop) {
    plan.blits[plan.count++] = {source, srcX, srcY, width, height, dstX, dstY, rop};
}

// A value outside 0..100 would push the bar above its case or into the next band. Worked out
// in 64 bits: a CPU sample read from a registry statistic can be any 32-bit value.
int32_t MeterTarget(int32_t value) {
    const int64_t target = (int64_t{ValueMax} - value) / ValuePerRow;
    if (target < 0) return 0;
    if (target > MeterRows) return MeterRows;
    return static_cast<int32_t>(target);
}

void StepGap(int32_t& gap, int32_t value) {
    const int32_t target = MeterTarget(value);
    if (gap < target) ++gap;
    else if (gap > target) --gap;
}

void AddBar(PaintPlan& plan, const BarLayout& bar, int32_t gap, int32_t band) {
    Add(plan, PaintSource::MeterStrip, bar.stripX, MeterRows * band, bar.width, MeterRows - gap,
        bar.windowX, MeterTop + gap, RopCopy);
}

void PlanMeters(PaintPlan& plan, const PaintInputs& in) {
    const bool instant = in.instantMeterShown == SwitchOn;
    const bool cumulative = in.cumulativeMeterShown == SwitchOn;
    if (!instant && !cumulative) return;
    const int32_t band = MeterBand(in.meterTint);
    Add(plan, PaintSource::MeterStrip, 0, MeterRows * band, MeterCaseWidth, MeterRows,
        MeterLeft, MeterTop, RopCopy);
    const bool both = instant && cumulative;
    if (instant) {
        StepGap(InstantMeterGap, in.cpuUsage);
        AddBar(plan, both ? InstantNarrow : InstantWide, InstantMeterGap, band);
    }
    if (cumulative) {
        StepGap(CumulativeMeterGap, in.fillLevel);
        AddBar(plan, both ? CumulativeNarrow : CumulativeWide, CumulativeMeterGap, band);
    }
}

void StepDrop(DropParticle& d, int index, int32_t streamBase, RandomSource random) {
    if (d.Y >= FrameSide) {
        d.Y = DropStartY;
        d.X = DropStartX + static_cast<int32_t>(random(3));
        d.Visible = streamBase / 2 >= index ? 1 : 0;
    } else {
        d.Y += 1 + static_cast<int32_t>(random(3));
        if (d.X < DropWanderEdge) {
            if (random(4) == 0) ++d.X;
        } else {
            if (random(2) != 0) ++d.X;
            else --d.X;
        }
    }
    d.Phase = d.Phase == 0 ? 1 : 0;
}

void PlanDrops(PaintPlan& plan, int32_t streamBase, RandomSource random) {
    for (int i = 0; i < DropCount; ++i) {
        DropParticle& d = Drops[i];
        if (d.Visible == 1) {
            const int32_t spriteY = DropSpriteTop + DropPhaseRows * d.Phase;
            Add(plan, PaintSource::MeterStrip, d.SpriteX + DropMaskOffset, spriteY, d.Width,
                d.Height, d.X, d.Y, RopAnd);
            Add(plan, PaintSource::MeterStrip, d.SpriteX, spriteY, d.Width, d.Height, d.X, d.Y,
                RopPaint);
        }
        StepDrop(d, i, streamBase, random);
    }
}

}  // namespace

int32_t StreamColumnBase(int32_t streamLevel) {
    if (streamLevel <= StreamLevelPerWidth) return 0;
    const int32_t base = 2 * ((streamLevel - 1) / StreamLevelPerWidth);
    return base < WidestStreamBase ? base : WidestStreamBase;
}

int32_t MeterBand(uint8_t meterTint) {
    return meterTint < MeterBandCount ? meterTint : MeterTintStandard;
}

PaintPlan PlanPaint(const PaintInputs& in, RandomSource random) {
    PaintPlan plan = {};
    plan.frame = in.frameIndex;
    Add(plan, PaintSource::Frame, 0, 0, FrameSide, FrameSide, 0, 0, RopCopy);

    const int32_t base = StreamColumnBase(in.streamLevel);
    StreamFlicker = StreamFlicker == 0 ? 1 : 0;
    const int32_t column = base + StreamFlicker;
    const int32_t cellX = column * StreamCellWidth;
    const int32_t cellY = in.frameIndex * StreamCellHeight;
    Add(plan, PaintSource::StreamMask, cellX, cellY, StreamCellWidth, StreamCellHeight,
        StreamLeft, 0, RopAnd);
    Add(plan, PaintSource::StreamSheet, cellX, cellY, StreamCellWidth, StreamCellHeight,
        StreamLeft, 0, RopPaint);

    PlanMeters(plan, in);
    if (in.dropsEffect == SwitchOn) PlanDrops(plan, base, random);
    return plan;
}

void SetUpDrops(RandomSource random) {
    for (int i = 0; i < DropCount; ++i) {
        DropParticle& d = Drops[i];
        const DropShape& shape = DropShapes[i % DropShapeCount];
        d.Visible = 0;
        d.X = DropStartX + static_cast<int32_t>(random(3));
        d.Y = DropStartY;
        d.Phase = static_cast<int32_t>(random(2));
        d.Width = shape.width;
        d.Height = shape.height;
        d.SpriteX = shape.spriteX;
    }
}
