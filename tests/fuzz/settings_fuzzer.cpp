// Fuzzes what a hand-edited settings file can reach in the portable core: every field of
// AppSettings takes a value from the input (8-bit fields any of 0..255, 32-bit fields any
// value, as the platform's profile reader hands them over), then the settings are applied and
// the heartbeat runs a few hundred steps with the paint plan of each, while the CPU usage
// follows the input too. After every step the simulation's state must lie in its ranges and
// every table the step or the paint reads must be read inside its bounds: the sanitizers
// watch the memory, the checks here the values.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/commands.h"
#include "base/hooks.h"
#include "base/settings.h"
#include "display/paint.h"
#include "res/resource.h"
#include "sim/sim.h"
#include "sound/effects.h"

// The sound side's "nobody there" flag, which applying the settings reads; nothing else of
// that side is linked here. Somebody is there.
int32_t SoundAway = 0;

namespace {

constexpr int Steps = 300;

// A broken invariant is a finding: libFuzzer keeps the input that caused it.
void Check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

bool Within(int64_t value, int64_t low, int64_t high) { return value >= low && value <= high; }

struct Input {
    const uint8_t* data;
    size_t size;
    size_t at;
    uint8_t Byte() { return at < size ? data[at++] : 0; }
    int32_t Int() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = v << 8 | Byte();
        return static_cast<int32_t>(v);
    }
};

Input* Feed = nullptr;
void Sample() { CpuUsage = Feed->Int(); }
void NoTray() {}
int Sound(int index) {
    Check(Within(index, 0, 4), "a sound effect number from 0 to 4");
    return 0;
}
void NoRegion(WindowHandle) {}
void NoCheck(int, bool) {}
void NoWrite(const char*, const char*, int32_t) {}
int EngineStarts(WindowHandle) { return 0; }
void Nothing() {}
// The last entry stands past the four-entry table: a volume read beyond it shows as 77777.
constexpr int32_t Volumes[5] = {0, 0, -500, -1000, 77777};
void Volume(uint32_t slot, int32_t volume) {
    Check(slot <= 2, "volumes set for the one-shot sounds 0 to 2");
    Check(volume == 0 || volume == -500 || volume == -1000, "a volume from the table");
}
void NoRewind(uint32_t) {}
void NoTimer(WindowHandle) {}
const ApplyPort Port = {NoCheck, NoCheck, NoWrite, EngineStarts, Nothing,
                        Volume,  NoRewind, Sound, NoTimer,      Volumes};

// The pictures a paint reads from, by source: frame, stream mask, stream sheet, meter strip.
struct Size {
    int32_t width, height;
};
constexpr Size Pictures[] = {{48, 48}, {216, 432}, {216, 432}, {24, 83}};

void CheckState() {
    Check(Within(FrameIndex, 0, 8), "FrameIndex 0 to 8");
    Check(Within(TipPhase, 0, 11), "TipPhase 0 to 11");
    Check(Within(TipCounter, 0, 6), "TipCounter 0 to 6");
    Check(ClickTip <= 1, "ClickTip 0 or 1");
    Check(TrayIconId == IDI_APP || TrayIconId == IDI_TRAY_TIPPING, "a tray icon of the two");
    Check(Within(FillLevel, 0, 100), "FillLevel 0 to 100");
    Check(Within(StreamLevel, 0, 100), "StreamLevel 0 to 100");
    Check(Within(SampleTick, 0, 6), "SampleTick 0 to 6");
    Check(Within(StreamFalling, 0, 1), "StreamFalling 0 or 1");
    Check(Within(SensitivityIndex(AppSettings.Sensitivity), 0, SensitivityCount - 1),
          "a row of the six-entry threshold and chance tables");
}

void CheckPlan(const PaintPlan& plan) {
    Check(Within(plan.frame, 0, 8), "the painted frame 0 to 8");
    Check(Within(plan.count, 1, MaxBlits), "a plan of 1 to 18 transfers");
    for (int i = 0; i < plan.count; ++i) {
        const Blit& b = plan.blits[i];
        const Size& picture = Pictures[static_cast<int>(b.source)];
        Check(b.srcX >= 0 && b.srcY >= 0 && b.width >= 0 && b.height >= 0,
              "a transfer from inside its picture");
        Check(b.srcX + b.width <= picture.width && b.srcY + b.height <= picture.height,
              "a transfer that ends inside its picture");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size, 0};
    Feed = &in;
    Platform = {Sample, NoTray, Sound, NoRegion};
    AppSettingsRecord& s = AppSettings;
    s.WindowPos = {in.Int(), in.Int(), 0, 0};
    s.WaterSource = in.Byte();
    s.Sensitivity = in.Byte();
    s.PositionMode = in.Byte();
    s.VolumeLevel = in.Byte();
    for (int32_t& t : s.CpuThresholds) t = in.Int();
    for (int32_t& r : s.RandomRanges) r = in.Int();
    s.WaterSoundEffect = in.Byte();
    s.DropsEffect = in.Byte();
    s.EchoEffect = in.Byte();
    s.InstantMeterShown = in.Byte();
    s.CumulativeMeterShown = in.Byte();
    s.MeterTint = in.Byte();
    s.DebugSwitch = in.Byte();
    for (int32_t& a : AppliedSettings) a = -1;
    // A fresh simulation for every input, so that a finding reproduces from its input alone.
    CpuUsage = FillLevel = StreamLevel = SampleTick = FillThrottle = TooltipUsage = 0;
    StreamFalling = TipPhase = FrameIndex = TipCounter = 0;
    ClickTip = 0;
    TrayIconId = IDI_APP;
    ApplySettingsOver(nullptr, Port);
    SeedRandom(static_cast<uint32_t>(in.Int()));
    InitDrops();
    TipStep(true, nullptr);
    CheckState();
    for (int i = 0; i < Steps; ++i) {
        TipStep(false, nullptr);
        CheckState();
        const PaintInputs paint = {FrameIndex, StreamLevel, CpuUsage, FillLevel,
                                   s.InstantMeterShown, s.CumulativeMeterShown, s.MeterTint,
                                   s.DropsEffect};
        CheckPlan(PlanPaint(paint, NextRandom));
    }
    return 0;
}
