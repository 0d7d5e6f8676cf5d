// Fuzzes what a hand-edited settings file can reach in the portable core: every field of
// AppSettings takes a value from the input (8-bit fields any of 0..255, 32-bit fields any
// value, as the platform's profile reader hands them over), then the settings are applied and
// the heartbeat runs a few hundred steps with the paint plan of each, while the CPU usage
// follows the input too. Out-of-range sensitivities, volumes, tints and random ranges must
// never index past a table or divide by zero; the sanitizers watch.
#include <cstdint>
#include <cstring>

#include "app/commands_port.h"
#include "app/hooks.h"
#include "app/settings.h"
#include "display/paint.h"
#include "sim/sim.h"

namespace {

constexpr int Steps = 300;

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
int NoSound(int) { return 0; }
void NoRegion(WindowHandle) {}
void NoCheck(int, bool) {}
void NoWrite(const char*, const char*, int32_t) {}
int EngineStarts(WindowHandle) { return 0; }
void Nothing() {}
void NoVolume(uint32_t, int32_t) {}
void NoRewind(uint32_t) {}
void NoTimer(WindowHandle) {}
constexpr int32_t Volumes[4] = {0, 0, -500, -1000};
const ApplyPort Port = {NoCheck,  NoCheck,  NoWrite, EngineStarts, Nothing,
                        NoVolume, NoRewind, NoSound, NoTimer,      Volumes};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size, 0};
    Feed = &in;
    Platform = {Sample, NoTray, NoSound, NoRegion};
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
    ApplySettingsOver(nullptr, Port);
    SeedRandom(static_cast<uint32_t>(in.Int()));
    InitDrops();
    TipStep(true, nullptr);
    for (int i = 0; i < Steps; ++i) {
        TipStep(false, nullptr);
        const PaintInputs paint = {FrameIndex, StreamLevel, CpuUsage, FillLevel,
                                   s.InstantMeterShown, s.CumulativeMeterShown, s.MeterTint,
                                   s.DropsEffect};
        PlanPaint(paint, NextRandom);
    }
    return 0;
}
