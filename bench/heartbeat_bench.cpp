// Work per heartbeat step of the portable core: the tipping step (with the water step inside
// it), and the paint plan, with meters and drops on. Run under callgrind by bench/run.sh,
// which counts the instructions spent inside RunHeartbeats.
#include <cstdio>
#include <cstdlib>
#include "base/hooks.h"
#include "base/settings.h"
#include "display/paint.h"
#include "sim/sim.h"

namespace {

int32_t SampleCount = 0;
// A usage that wanders like a working machine's, so every water source path is taken.
void FakeSample() { CpuUsage = int32_t((SampleCount++ * 37) % 101); }
void NoTray() {}
int NoSound(int) { return 0; }
void NoRegion(WindowHandle) {}

void UseDefaults() {
    AppSettings.WaterSource = 1;
    AppSettings.Sensitivity = 2;
    const int32_t thresholds[] = {15, 30, 45, 60, 75, 90};
    const int32_t ranges[] = {8, 16, 24, 32, 40, 48};
    for (int i = 0; i < SensitivityCount; ++i) {
        AppSettings.CpuThresholds[i] = thresholds[i];
        AppSettings.RandomRanges[i] = ranges[i];
    }
    AppSettings.DropsEffect = 1;
    AppSettings.InstantMeterShown = 1;
    AppSettings.CumulativeMeterShown = 1;
    AppSettings.MeterTint = 2;
}

}  // namespace

// Kept out of line so callgrind can attribute exactly the steps to it.
extern "C" __attribute__((noinline)) int64_t RunHeartbeats(int steps) {
    int64_t blits = 0;
    for (int i = 0; i < steps; ++i) {
        TipStep(false, nullptr);
        const PaintInputs in = {FrameIndex, StreamLevel, CpuUsage, FillLevel,
                                AppSettings.InstantMeterShown, AppSettings.CumulativeMeterShown,
                                AppSettings.MeterTint, AppSettings.DropsEffect};
        blits += PlanPaint(in, NextRandom).count;
    }
    return blits;
}

int main(int argc, char** argv) {
    const int steps = argc > 1 ? std::atoi(argv[1]) : 10000;
    Platform = {FakeSample, NoTray, NoSound, NoRegion};
    UseDefaults();
    SeedRandom(12345);
    SetUpDrops(NextRandom);
    const int64_t blits = RunHeartbeats(steps);
    std::printf("steps=%d blits=%lld\n", steps, static_cast<long long>(blits));
    return 0;
}
