// The sound effects over the fake device: the engine's start with the five sounds, playing by
// SoundMode, the water loops' volume rule, their wandering pan, and a restarted engine.
#include <cstring>
#include <vector>

#include "base/settings.h"
#include "sim/sim.h"
#include "sound/effects.h"
#include "sound/engine.h"
#include "sound/engine_state.h"
#include "tests/host/engine_fake_test.h"
#include "tests/settings_guard.h"

std::vector<int> SimplePlayerCalls;
int PlaySimpleSound(int resourceId) {
    SimplePlayerCalls.push_back(resourceId);
    return 1;
}

namespace {

constexpr uint32_t SoundBytes[SoundEffectCount] = {218028, 55596, 41216, 242784, 278190};

class EffectsTest : public FakeSoundTest {
protected:
    void SetUp() override {
        FakeSoundTest::SetUp();
        for (int i = 0; i < SoundEffectCount; ++i) AddFakeResource(SoundResourceIds[i], SoundBytes[i]);
        SimplePlayerCalls.clear();
        AppSettings.VolumeLevel = 2;
        WaterVolumeCache[0] = WaterVolumeCache[1] = 0;
        WaterPanCounter[0] = WaterPanCounter[1] = 0;
        StreamLevel = 0;
        SoundMode = SoundModeEngine;
    }
    void TearDown() override {
        SoundMode = SoundModeOff;
        FakeSoundTest::TearDown();
    }
    FakeBuffer* Slot(int index) { return AsFake(Engine.library[index].buffer); }
    AppSettingsGuard settings_;
};

TEST_F(EffectsTest, StartLoadsTheFiveSoundsWithGlobalFocus) {
    ASSERT_EQ(StartSoundEngine(reinterpret_cast<WindowHandle>(0x99)), 0);
    EXPECT_EQ(Fake.cooperativeWindow, reinterpret_cast<WindowHandle>(0x99));
    EXPECT_EQ(Engine.sampleRate, 22050u);
    EXPECT_EQ(Engine.globalFocus, 1);
    for (int i = 0; i < SoundEffectCount; ++i) {
        ASSERT_NE(Engine.library[i].buffer, nullptr) << i;
        EXPECT_EQ(Slot(i)->bytes.size(), SoundBytes[i]);
        EXPECT_EQ(Slot(i)->flags, 98536u);
    }
    EXPECT_EQ(SoundEngine::GetLengthMs(0), 4943);
}

TEST_F(EffectsTest, StartFailsAtTheFirstMissingSoundKeepingTheEarlierOnes) {
    Fake.resources.erase(IDW_SPILL);
    EXPECT_EQ(StartSoundEngine(nullptr), 1);
    EXPECT_NE(Engine.library[1].buffer, nullptr);
    EXPECT_EQ(Engine.library[2].buffer, nullptr);
    EXPECT_EQ(Engine.library[3].buffer, nullptr);

    ResetFakeSound();
    Fake.failCreateDevice = true;
    EXPECT_EQ(StartSoundEngine(nullptr), 1);
}

TEST_F(EffectsTest, PlaySoundEffectFollowsSoundMode) {
    ASSERT_EQ(StartSoundEngine(nullptr), 0);
    Slot(0)->position = 5000;   // still ringing: starts again from the beginning
    PlaySoundEffect(SoundStrike);
    EXPECT_TRUE(Slot(0)->playing);
    EXPECT_EQ(Slot(0)->playFlags, 0u);
    EXPECT_EQ(Slot(0)->position, 0u);
    PlaySoundEffect(SoundEcho);
    EXPECT_TRUE(Slot(0)->playing);   // the two overlap
    EXPECT_TRUE(Slot(1)->playing);
    PlaySoundEffect(SoundWaterB);
    EXPECT_EQ(Slot(4)->playFlags, 1u);
    EXPECT_EQ(WaterPanCounter[1], 1);   // modulated on its start
    PlaySoundEffect(5);
    PlaySoundEffect(-1);
    EXPECT_TRUE(SimplePlayerCalls.empty());

    SoundMode = SoundModeSimple;
    Slot(2)->plays = 0;
    for (int i = 0; i < SoundEffectCount; ++i) PlaySoundEffect(i);
    PlaySoundEffect(5);
    EXPECT_EQ(SimplePlayerCalls, (std::vector<int>{IDW_STRIKE, IDW_ECHO, IDW_SPILL, IDW_WATER_A, IDW_WATER_B}));
    EXPECT_EQ(Slot(2)->plays, 0);

    SoundMode = SoundModeOff;
    PlaySoundEffect(0);
    EXPECT_EQ(SimplePlayerCalls.size(), 5u);
}

TEST_F(EffectsTest, WaterVolumesFollowTheStreamLevel) {
    ASSERT_EQ(StartSoundEngine(nullptr), 0);
    struct Case {
        int32_t level;
        uint8_t volumeLevel;
        int32_t waterA;
        int32_t waterB;
    } cases[] = {
        {32, 2, -10000, -500}, {33, 2, -500, -10000}, {64, 3, -1000, -10000},
        {65, 3, -1000, -1000}, {0, 2, -10000, -500},  {100, 1, 0, 0},
        {65, 7, -500, -500},   // outside 1..3: the normal level
        {65, 0, -500, -500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        StreamLevel = c.level;
        AppSettings.VolumeLevel = c.volumeLevel;
        ModulateWaterSound(SoundWaterA);
        ModulateWaterSound(SoundWaterB);
        EXPECT_EQ(Slot(3)->volume, c.waterA);
        EXPECT_EQ(Slot(4)->volume, c.waterB);
        EXPECT_EQ(WaterVolumeCache[0], c.waterA);
        EXPECT_EQ(WaterVolumeCache[1], c.waterB);
    }
    ModulateWaterSound(2);   // not a water sound: nothing
    EXPECT_EQ(Slot(2)->volumesSent.size(), 0u);
}

TEST_F(EffectsTest, UnchangedTargetSendsNoSecondVolume) {
    ASSERT_EQ(StartSoundEngine(nullptr), 0);
    StreamLevel = 50;
    ModulateWaterSound(SoundWaterA);
    ModulateWaterSound(SoundWaterA);
    EXPECT_EQ(Slot(3)->volumesSent, std::vector<int32_t>{-500});
    StreamLevel = 10;
    ModulateWaterSound(SoundWaterA);
    EXPECT_EQ(Slot(3)->volumesSent, (std::vector<int32_t>{-500, -10000}));
}

TEST_F(EffectsTest, PanChangesOnEveryTwelfthModulationMagnitudeDrawnFirst) {
    ASSERT_EQ(StartSoundEngine(nullptr), 0);
    RandomSeed = 12345;
    uint32_t seed = RandomSeed;
    auto draw = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    std::vector<int32_t> expected;
    for (int call = 1; call <= 36; ++call) {
        ModulateWaterSound(SoundWaterB);
        if (call % 12 == 0) {
            int32_t magnitude = static_cast<int32_t>(draw(300));
            expected.push_back(draw(2) != 0 ? magnitude : -magnitude);
        }
        EXPECT_EQ(Slot(4)->pansSent, expected) << call;
    }
    EXPECT_EQ(expected.size(), 3u);
    EXPECT_EQ(RandomSeed, seed);   // exactly two draws per pan
    EXPECT_TRUE(Slot(3)->pansSent.empty());   // each sound keeps its own count
    EXPECT_EQ(WaterPanCounter[0], 0);
}

TEST_F(EffectsTest, PanCountContinuesAcrossRestarts) {
    ASSERT_EQ(StartSoundEngine(nullptr), 0);
    for (int i = 0; i < 7; ++i) ModulateWaterSound(SoundWaterA);
    ASSERT_EQ(StartSoundEngine(nullptr), 0);
    for (int i = 0; i < 4; ++i) ModulateWaterSound(SoundWaterA);
    EXPECT_TRUE(Slot(3)->pansSent.empty());
    ModulateWaterSound(SoundWaterA);
    EXPECT_EQ(Slot(3)->pansSent.size(), 1u);
}

// After a restart the new buffers sound at full volume; a water sound that should be silent
// must be told so even though silence is what was sent to the old buffer.
TEST_F(EffectsTest, RestartedEngineGetsEveryWaterVolumeAgain) {
    ASSERT_EQ(StartSoundEngine(nullptr), 0);
    StreamLevel = 10;   // sound 3 silent, sound 4 at the level
    ModulateWaterSound(SoundWaterA);
    ModulateWaterSound(SoundWaterB);
    ASSERT_EQ(Slot(3)->volume, -10000);

    ASSERT_EQ(StartSoundEngine(nullptr), 0);
    EXPECT_EQ(Slot(3)->volume, 0);   // a fresh buffer
    ModulateWaterSound(SoundWaterA);
    ModulateWaterSound(SoundWaterB);
    EXPECT_EQ(Slot(3)->volumesSent, std::vector<int32_t>{-10000});
    EXPECT_EQ(Slot(4)->volumesSent, std::vector<int32_t>{-500});

    // A failed start forgets as well: the engine that comes after it is new again.
    Fake.failCreateDevice = true;
    EXPECT_EQ(StartSoundEngine(nullptr), 1);
    EXPECT_EQ(WaterVolumeCache[0], WaterVolumeUnsent);
    EXPECT_EQ(WaterVolumeCache[1], WaterVolumeUnsent);
}

TEST_F(EffectsTest, WithoutAnEngineModulationIsHarmless) {
    StreamLevel = 80;
    ModulateWaterSound(SoundWaterA);
    ModulateWaterSound(SoundWaterB);
    EXPECT_EQ(WaterVolumeCache[0], -500);
    EXPECT_EQ(WaterPanCounter[1], 1);
}

}  // namespace

// The one way back to sound on the output in use now: the settings in force, and nothing for
// an engine the volume does not have running.
TEST_F(EffectsTest, RestartReopensTheDeviceAtTheSettingsInForce) {
    struct Case {
        int32_t mode;
        uint8_t volumeLevel;
        uint8_t water;
        bool deviceFails;
        int32_t away;
        int answer;
        bool loopsPlaying;
    } cases[] = {
        {SoundModeEngine, 3, 1, false, 0, 0, true},
        {SoundModeEngine, 1, 0, false, 0, 0, false},
        {SoundModeEngine, 2, 1, true, 0, 1, false},    // no device: shut down, silent
        {SoundModeEngine, 2, 1, false, 1, 1, false},   // nobody there: stays down
        {SoundModeSimple, 2, 1, false, 0, 1, false},   // the engine never ran: nothing to restart
        {SoundModeOff, 0, 1, false, 0, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.volumeLevel);
        ResetFakeSound();
        for (int i = 0; i < SoundEffectCount; ++i) AddFakeResource(SoundResourceIds[i], SoundBytes[i]);
        SoundMode = c.mode;
        AppSettings.VolumeLevel = c.volumeLevel;
        AppSettings.WaterSoundEffect = c.water;
        const AppSettingsRecord before = AppSettings;
        StreamLevel = 80;
        Fake.failCreateDevice = c.deviceFails;
        SoundAway = c.away;
        EXPECT_EQ(RestartSoundEngine(nullptr), c.answer);
        SoundAway = 0;
        EXPECT_EQ(SoundMode, c.mode);
        EXPECT_EQ(0, std::memcmp(&before, &AppSettings, sizeof before));
        if (c.answer != 0) {
            EXPECT_EQ(Engine.device, nullptr);
            continue;
        }
        for (int i = 0; i < 3; ++i) EXPECT_EQ(Slot(i)->volume, VolumeTable[c.volumeLevel]) << i;
        EXPECT_EQ(Slot(3)->playing, c.loopsPlaying);
        EXPECT_EQ(Slot(4)->playing, c.loopsPlaying);
        if (c.loopsPlaying) {
            EXPECT_EQ(Slot(4)->volume, VolumeTable[c.volumeLevel]);
        }
    }
}
