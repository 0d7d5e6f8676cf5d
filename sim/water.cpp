#include <cstdio>
#include "sim/sim.h"
#include "base/hooks.h"
#include "base/settings.h"

int32_t CpuUsage = 0;
int32_t FillLevel = 0;
int32_t StreamLevel = 0;
int32_t SampleTick = 0;
int32_t FillThrottle = 0;
int32_t TooltipUsage = 0;
int32_t StreamFalling = 0;

namespace {

constexpr int32_t TicksPerSample = 7;          // a sample on every seventh call, 896 ms
constexpr int32_t ThresholdPerThrottleStep = 10;
constexpr int32_t LevelFull = 100;
constexpr int32_t LevelEmpty = 0;
constexpr uint32_t WalkStepRange = 5;          // the random walk moves 0..4 per sample
constexpr int32_t WalkTopTrigger = 99;         // above this the walk has reached the top
// A hand-edited settings file can hold any byte; the tables have six entries only, so an
// out-of-range sensitivity borrows the default one's entries instead of reading past them.
constexpr uint8_t DefaultSensitivity = 2;

enum : uint8_t { SourceInstant = 0, SourceCumulative = 1, SourceRandom = 2 };

constexpr char TooltipFormat[] = "Tsutsuri [CPU使用率：%d％]";

int32_t ClampLevel(int64_t level) {
    if (level > LevelFull) return LevelFull;
    if (level < LevelEmpty) return LevelEmpty;
    return static_cast<int32_t>(level);
}

void RefreshTooltip() {
    if (CpuUsage == TooltipUsage) return;
    TooltipUsage = CpuUsage;
    std::snprintf(TrayTip, TrayTipBytes, TooltipFormat, static_cast<int>(CpuUsage));
    Platform.trayModify();
}

// Moves FillLevel on every (k + 1)-th sample; answers true when it found the level full and
// emptied it.
bool AdvanceFillLevel(int32_t throttleSteps) {
    if (FillThrottle < throttleSteps) {
        ++FillThrottle;
        return false;
    }
    FillThrottle = 0;
    if (FillLevel >= LevelFull) {
        FillLevel = LevelEmpty;
        return true;
    }
    // Summed in 64 bits and held to 0..100: a registry statistic or a coarse idle clock can
    // report a usage far outside 0..100, which must neither overflow nor leave the range.
    FillLevel = ClampLevel(static_cast<int64_t>(FillLevel) + CpuUsage);
    return false;
}

bool RandomWalk(int32_t chanceRange) {
    bool tip = false;
    if (StreamFalling == 0) {
        StreamLevel += static_cast<int32_t>(NextRandom(WalkStepRange));
        if (StreamLevel > WalkTopTrigger) {
            StreamLevel = LevelFull;
            StreamFalling = 1;
            tip = true;
        }
    } else {
        StreamLevel -= static_cast<int32_t>(NextRandom(WalkStepRange));
        if (StreamLevel < LevelEmpty) {
            StreamLevel = LevelEmpty;
            StreamFalling = 0;
            tip = true;
        }
    }
    // A range of 0 would be a modulus of 0: no chance draw at all, only the bounds tip.
    // A negative range reads as a huge unsigned modulus, so chance tips all but never come.
    const uint32_t range = static_cast<uint32_t>(chanceRange);
    if (range != 0 && NextRandom(range) == 0) {
        StreamFalling = StreamFalling == 0 ? 1 : 0;
        return true;
    }
    return tip;
}

}  // namespace

int SensitivityIndex(uint8_t sensitivity) {
    return sensitivity < SensitivityCount ? sensitivity : DefaultSensitivity;
}

bool FillStep() {
    if (CpuMonitorUnavailable != 0) return false;
    if (SampleTick < TicksPerSample - 1) {
        ++SampleTick;
        return false;
    }
    SampleTick = 0;

    Platform.sampleCpuUsage();
    RefreshTooltip();

    const int sensitivity = SensitivityIndex(AppSettings.Sensitivity);
    const int32_t threshold = AppSettings.CpuThresholds[sensitivity];
    const bool foundFull = AdvanceFillLevel(threshold / ThresholdPerThrottleStep);

    switch (AppSettings.WaterSource) {
    case SourceInstant:
        // The stream shows the usage; a usage outside 0..100 is drawn at the nearest end.
        StreamLevel = ClampLevel(CpuUsage);
        return CpuUsage > threshold;
    case SourceCumulative:
        StreamLevel = FillLevel;
        return foundFull;
    case SourceRandom:
        return RandomWalk(AppSettings.RandomRanges[sensitivity]);
    default:
        return false;
    }
}
