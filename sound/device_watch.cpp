// The device watch's decision and its one look at the engine. Portable: the engine is reached
// through its operations and the default output's identifier through SoundDevice.
#include "sound/device_watch.h"

#include <cstring>

#include "sound/effects.h"
#include "sound/engine.h"
#include "sound/engine_device.h"
#include "sound/engine_state.h"
#include "sound/supinfo.h"

DeviceWatchState SoundDeviceWatch = {};
uint32_t DeviceWatchLooks = 0;

namespace {

// A start on the default output whose failure stays out of the support file when muted: the
// spell it belongs to has already written its line.
int RestartMuted(WindowHandle window, int32_t muted) {
    EngineFailuresMuted = muted;
    const int failed = RestartSoundEngine(window);
    EngineFailuresMuted = 0;
    return failed;
}

void RestartQuietly(WindowHandle window) { RestartMuted(window, 1); }

// The default output against the one the engine opened on: another one is a move; none at all
// means every output is gone, the engine's with them (its own calls may say only that a buffer
// was lost, which a focus change says too).
void LookAtTheDefault(DeviceLook& look) {
    if (Engine.openedOnKnown == 0) return;
    DeviceId now = {};
    const int32_t answer = SoundEngine::DefaultOutputId(&now);
    if (answer != 0) {
        if (look.goneResult == 0) look.goneResult = answer;
        return;
    }
    look.defaultMoved = std::memcmp(&now, &Engine.openedOn, sizeof now) != 0;
}

}  // namespace

DeviceVerdict JudgeDevice(DeviceWatchState& state, const DeviceLook& look, uint32_t nowMs) {
    // Sound off, another player, or nobody there: nothing is tried and nothing is counted.
    if (!look.wanted) {
        state.pacing = 0;
        return DeviceFine;
    }
    const bool due = state.pacing == 0 || nowMs - state.lastTryMs >= DeviceRetryMs;
    auto tried = [&state, nowMs](DeviceVerdict verdict) {
        state.pacing = 1;
        state.lastTryMs = nowMs;
        return verdict;
    };
    if (look.running) {
        if (look.goneResult != 0) {
            if (state.pacing == 0) return tried(DeviceLeave);
            return due ? tried(DeviceRetry) : DeviceDrop;
        }
        if (look.defaultMoved) {
            if (!due) return DeviceWait;
            return tried(state.pacing == 0 ? DeviceFollow : DeviceRetry);
        }
        // A whole retry interval of good looks ends the spell.
        if (due) state.pacing = 0;
        return DeviceFine;
    }
    // Down, though wanted. Whoever brought it down (a failed start elsewhere) wrote its
    // failure; the pace starts here.
    if (state.pacing == 0) return tried(DeviceWait);
    return due ? tried(DeviceRetry) : DeviceWait;
}

namespace {

DeviceVerdict Watch(WindowHandle window, uint32_t nowMs, bool readDefault) {
    ++DeviceWatchLooks;
    DeviceLook look = {};
    look.wanted = SoundMode == SoundModeEngine && SoundAway == 0;
    look.running = Engine.device != nullptr;
    if (look.wanted && look.running) {
        look.goneResult = SoundEngine::DeviceGoneResult();
        if (readDefault) LookAtTheDefault(look);
    }
    const DeviceVerdict verdict = JudgeDevice(SoundDeviceWatch, look, nowMs);
    switch (verdict) {
    case DeviceFollow: RestartSoundEngine(window); break;
    case DeviceLeave:
        // Shuts the engine down and writes the one line of this spell.
        ReportEngineFailure("Sound Device Lost Error (0x%08X)",
                            static_cast<unsigned>(look.goneResult));
        RestartQuietly(window);
        break;
    case DeviceRetry: RestartQuietly(window); break;
    case DeviceDrop: SoundEngine::Shutdown(); break;
    case DeviceFine:
    case DeviceWait: break;
    }
    return verdict;
}

}  // namespace

DeviceVerdict WatchSoundDevice(WindowHandle window, uint32_t nowMs) {
    const DeviceWatchState& w = SoundDeviceWatch;
    return Watch(window, nowMs, w.listening == 0 || w.pacing != 0);
}

DeviceVerdict HearOutputChange(WindowHandle window, uint32_t nowMs) {
    return Watch(window, nowMs, true);
}

int RestartOnReturn(WindowHandle window, uint32_t nowMs) {
    const int failed = RestartMuted(window, SoundDeviceWatch.pacing);
    // Tried and failed (not merely nothing to restart): the spell begins with this try.
    if (failed != 0 && SoundMode == SoundModeEngine && SoundAway == 0) {
        SoundDeviceWatch.pacing = 1;
        SoundDeviceWatch.lastTryMs = nowMs;
    }
    return failed;
}
