// The sound effects on Wine: the engine's start with the program's sounds, effects and water
// loops heard in the capture, the simple player, and the water-sound timer.
#include "tests/win32/engine_test_support.h"

#include "base/settings.h"
#include "res/resource.h"
#include "sim/sim.h"
#include "sound/effects.h"
#include "sound/engine.h"
#include "sound/engine_state.h"
#include "tests/settings_guard.h"

namespace {

using namespace soundtest;

class EffectsOnWine : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = MakeWindow();
        ASSERT_NE(window_, nullptr);
        AppSettings.VolumeLevel = 1;
        StreamLevel = 100;
    }
    void TearDown() override {
        SoundEngine::Shutdown();
        SoundMode = SoundModeOff;
        DestroyWindow(window_);
    }
    // The engine with the program's five sounds, which every build carries.
    void StartWithSounds() {
        ASSERT_EQ(StartSoundEngine(window_), 0);
        SoundMode = SoundModeEngine;
    }
    HWND window_ = nullptr;
    AppSettingsGuard settings_;
};

TEST_F(EffectsOnWine, StartLoadsEveryProgramSound) {
    ASSERT_EQ(StartSoundEngine(window_), 0);
    const int32_t lengths[SoundEffectCount] = {4943, 1260, 934, 5505, 6308};
    for (int i = 0; i < SoundEffectCount; ++i) {
        EXPECT_NE(Engine.library[i].buffer, nullptr) << i;
        EXPECT_NEAR(SoundEngine::GetLengthMs(i), lengths[i], 2) << i;
    }
    EXPECT_EQ(SoundEngine::GetLengthMs(0), 4943);
}

TEST_F(EffectsOnWine, StrikeIsHeardAndOverlapsTheEcho) {
    StartWithSounds();
    const long before = CaptureSize();
    PlaySoundEffect(SoundStrike);
    EXPECT_GE(WaitForSound(before, 3000), 2000u);
    EXPECT_GT(SoundEngine::GetPositionMs(SoundStrike), 0);
    PlaySoundEffect(SoundEcho);
    EXPECT_TRUE(WaitFor([] { return SoundEngine::GetPositionMs(SoundEcho) > 0; }, 3000));
    // Two sounding at once: the strike was not cut off by the echo.
    EXPECT_GT(SoundEngine::GetPositionMs(SoundStrike), 0);
}

TEST_F(EffectsOnWine, WaterLoopsLoopAndFallSilentWithTheStream) {
    StartWithSounds();
    PlaySoundEffect(SoundWaterA);
    EXPECT_EQ(SoundEngine::GetVolume(SoundWaterA), 0);
    // The play cursor comes round to the start again: the loop goes on past its end.
    int32_t last = SoundEngine::GetPositionMs(SoundWaterA);
    bool wrapped = false;
    for (int waited = 0; waited < 9000 && !wrapped; waited += 20) {
        Sleep(20);
        const int32_t now = SoundEngine::GetPositionMs(SoundWaterA);
        wrapped = now < last;
        last = now;
    }
    EXPECT_TRUE(wrapped);
    const long later = CaptureSize();
    EXPECT_GE(WaitForSound(later, 2000), 2000u);

    StreamLevel = 10;   // now only sound 4 should be heard, and it is not playing
    ModulateWaterSound(SoundWaterA);
    EXPECT_EQ(SoundEngine::GetVolume(SoundWaterA), -10000);
    // What the mixer had already taken goes out first; then nearly a second of silence.
    const long quiet = WaitForCapture(CaptureSize(), 0.5);
    WaitForCapture(quiet, 0.8);
    EXPECT_LT(LoudSamplesSince(quiet), 200u);
    SoundEngine::StopSample(SoundWaterA);
}

TEST_F(EffectsOnWine, SimplePlayerPlaysTheResource) {
    SoundMode = SoundModeSimple;
    const long before = CaptureSize();
    PlaySoundEffect(SoundSpill);
    EXPECT_GE(WaitForSound(before, 3000), 2000u);
    EXPECT_EQ(PlayWaveResource(999), 0);
}

// Timer 3 wakes the thread only while the engine loops the water.
TEST_F(EffectsOnWine, WaterTimerEndsItselfOnceTheLoopsStop) {
    struct Case {
        const char* what;
        void (*stop)();
    };
    const Case cases[] = {
        {"switch off", [] { AppSettings.WaterSoundEffect = 0; }},
        {"volume off", [] { SoundMode = SoundModeOff; }},
        {"simple player", [] { SoundMode = SoundModeSimple; }},
        {"busy", [] { SoundBusy = 1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WaterPanCounter[0] = WaterPanCounter[1] = 0;
        AppSettings.WaterSoundEffect = 1;
        SoundMode = SoundModeEngine;
        SoundBusy = 0;
        ASSERT_NE(SetTimer(window_, 3, 500, WaterSoundTimerProc), 0u);
        WaterSoundTimerProc(window_, WM_TIMER, 3, 0);
        EXPECT_EQ(WaterPanCounter[0], 1);
        EXPECT_EQ(WaterPanCounter[1], 1);
        c.stop();
        WaterSoundTimerProc(window_, WM_TIMER, 3, 0);
        EXPECT_EQ(WaterPanCounter[0], 1);
        EXPECT_FALSE(KillTimer(window_, 3));   // already gone
    }
    SoundBusy = 0;
}

}  // namespace
