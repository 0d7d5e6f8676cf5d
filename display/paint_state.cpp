// The paint's ties to the simulation and the settings: the program's generator and the
// values a paint reads.
#include "display/paint.h"
#include "display/paint_plan.h"
#include "display/paint_state.h"
#include "base/settings.h"
#include "sim/sim.h"

void InitDrops() { SetUpDrops(NextRandom); }

PaintInputs CurrentPaintInputs() {
    PaintInputs in = {};
    in.frameIndex = FrameIndex;
    in.streamLevel = StreamLevel;
    in.cpuUsage = CpuUsage;
    in.fillLevel = FillLevel;
    in.instantMeterShown = AppSettings.InstantMeterShown;
    in.cumulativeMeterShown = AppSettings.CumulativeMeterShown;
    in.meterTint = AppSettings.MeterTint;
    in.dropsEffect = AppSettings.DropsEffect;
    return in;
}

PaintPlan PlanCurrentPaint() { return PlanPaint(CurrentPaintInputs(), NextRandom); }
