// The five sound effects over the back end SoundMode names, and the rule that keeps the two
// water loops in line with the stream.
#include "sound/effects.h"

#include <climits>
#include <cstdio>
#include <initializer_list>

#include "base/settings.h"
#include "res/resource.h"
#include "sim/sim.h"
#include "sound/device_watch.h"
#include "sound/engine.h"
#include "sound/engine_device.h"
#include "sound/supinfo.h"

const int32_t VolumeTable[VolumeLevelCount] = {0, 0, -500, -1000};
const int32_t SoundResourceIds[SoundEffectCount] = {IDW_STRIKE, IDW_ECHO, IDW_SPILL, IDW_WATER_A,
                                                    IDW_WATER_B};
int32_t WaterVolumeCache[WaterSoundCount] = {0, 0};
int32_t WaterPanCounter[WaterSoundCount] = {0, 0};
int32_t SoundAway = 0;
int32_t SoundBusy = 0;
uint32_t SoundEngineStarts = 0;

namespace {

constexpr uint32_t EngineSampleRate = 22050;
constexpr uint32_t EngineBitsPerSample = 16;
constexpr uint32_t EngineChannels = 1;
constexpr int32_t Silence = -10000;
constexpr int32_t PanSteps = 12;          // a new pan on every twelfth modulation
constexpr uint32_t PanMagnitudes = 300;   // 0 .. 2.99 dB either way
constexpr int StartNoticeBytes = 80;

}  // namespace

int StartSoundEngine(WindowHandle window) {
    char notice[StartNoticeBytes];
    std::snprintf(notice, sizeof notice,
                  "Tsutsuri: sound engine start %u, device watch looks %u\n",
                  static_cast<unsigned>(++SoundEngineStarts),
                  static_cast<unsigned>(DeviceWatchLooks));
    SendDebugOutput(notice);
    // Fresh buffers start at full volume whatever was sent before: the next modulation of each
    // water sound must send its volume again, silence included.
    for (int32_t& cached : WaterVolumeCache) cached = WaterVolumeUnsent;
    if (!SoundEngine::Init(window, EngineSampleRate, EngineBitsPerSample, EngineChannels,
                           SoundEffectCount))
        return 1;
    if (!SoundEngine::SetGlobalFocus(1)) return 1;
    for (int index = 0; index < SoundEffectCount; ++index) {
        if (!SoundEngine::LoadSample(static_cast<uint32_t>(index),
                                     IntegerResource(static_cast<uint32_t>(SoundResourceIds[index]))))
            return 1;
    }
    return 0;
}

int RestartSoundEngine(WindowHandle window) {
    if (SoundMode != SoundModeEngine || SoundAway != 0) return 1;
    // Init shuts the old device down first, so the new one is opened afresh on the default.
    if (StartSoundEngine(window) != 0) {
        SoundEngine::Shutdown();
        return 1;
    }
    const int32_t volume = EngineVolumeFor(VolumeTable, AppSettings.VolumeLevel);
    for (int index : {SoundStrike, SoundEcho, SoundSpill})
        SoundEngine::SetVolume(static_cast<uint32_t>(index), volume);
    // Timer 3 goes on while the switch is on; only the loops themselves start again.
    StartWaterLoops();
    return 0;
}

bool WaterLoopsPlay() {
    return SoundMode == SoundModeEngine && AppSettings.WaterSoundEffect == 1 && SoundBusy == 0 &&
           SoundAway == 0;
}

void StartWaterLoops() {
    if (!WaterLoopsPlay()) return;
    PlaySoundEffect(SoundWaterA);
    PlaySoundEffect(SoundWaterB);
}

int PlaySoundEffect(int index) {
    if (index < 0 || index >= SoundEffectCount || SoundBusy != 0 || SoundAway != 0) return 0;
    const uint32_t slot = static_cast<uint32_t>(index);
    if (SoundMode == SoundModeSimple) return PlaySimpleSound(SoundResourceIds[index]);
    if (SoundMode != SoundModeEngine) return 0;
    if (index == SoundWaterA || index == SoundWaterB) {
        ModulateWaterSound(index);
        SoundEngine::RewindSample(slot);
        return SoundEngine::PlaySample(slot, 1);
    }
    SoundEngine::RewindSample(slot);
    return SoundEngine::PlaySample(slot, 0);
}

void ModulateWaterSound(int index) {
    if (index != SoundWaterA && index != SoundWaterB) return;
    const int water = index - SoundWaterA;
    const int32_t level = EngineVolumeFor(VolumeTable, AppSettings.VolumeLevel);
    int32_t target = level;
    if (StreamLevel <= 32)
        target = index == SoundWaterA ? Silence : level;
    else if (StreamLevel <= 64)
        target = index == SoundWaterA ? level : Silence;
    if (target != WaterVolumeCache[water]) {
        WaterVolumeCache[water] = target;
        SoundEngine::SetVolume(static_cast<uint32_t>(index), target);
    }
    if (WaterPanCounter[water] < PanSteps - 1) {
        ++WaterPanCounter[water];
        return;
    }
    WaterPanCounter[water] = 0;
    const int32_t magnitude = static_cast<int32_t>(NextRandom(PanMagnitudes));
    const int32_t pan = NextRandom(2) != 0 ? magnitude : -magnitude;
    SoundEngine::SetPan(static_cast<uint32_t>(index), pan);
}
