// The watch over the sound output: its verdicts look by look, and over the fake device a device
// that goes away, one that comes back, and a new default output.
#include <cstring>
#include <vector>

#include "base/settings.h"
#include "sim/sim.h"
#include "sound/device_watch.h"
#include "sound/effects.h"
#include "sound/engine.h"
#include "sound/engine_state.h"
#include "tests/host/engine_fake_test.h"
#include "tests/settings_guard.h"

namespace {

// What the fake-device cases below do not reach: a device gone again right after a try, the
// end of a spell, and nothing tried or counted while nobody is there.
TEST(DeviceWatchJudge, PacesTriesEndsSpellsAndRestsWhileAway) {
    const struct {
        uint32_t nowMs;
        DeviceLook look;   // wanted, running, gone, moved
        DeviceVerdict verdict;
    } looks[] = {
        {2000, {1, 1, 1, 0}, DeviceLeave},  {4000, {1, 1, 1, 0}, DeviceDrop},
        {6000, {1, 0, 0, 0}, DeviceWait},   {8000, {1, 0, 0, 0}, DeviceRetry},
        {10000, {1, 1, 0, 1}, DeviceWait},  {14000, {1, 1, 0, 0}, DeviceFine},
        {16000, {1, 1, 0, 1}, DeviceFollow}, {18000, {0, 0, 0, 0}, DeviceFine},
        {20000, {1, 0, 0, 0}, DeviceWait},  {24000, {1, 0, 0, 0}, DeviceWait},
        {26000, {1, 0, 0, 0}, DeviceRetry},
    };
    DeviceWatchState state = {};
    for (const auto& l : looks) {
        SCOPED_TRACE(l.nowMs);
        EXPECT_EQ(JudgeDevice(state, l.look, l.nowMs), l.verdict);
    }
}

const WindowHandle Window = reinterpret_cast<WindowHandle>(0x99);

class DeviceWatchTest : public FakeSoundTest {
protected:
    void SetUp() override {
        FakeSoundTest::SetUp();
        for (int i = 0; i < SoundEffectCount; ++i) AddFakeResource(SoundResourceIds[i], 4410);
        AppSettings.VolumeLevel = 3;
        AppSettings.WaterSoundEffect = 1;
        StreamLevel = 80;
        SoundMode = SoundModeEngine;
        SoundDeviceWatch = {};
        ASSERT_EQ(RestartSoundEngine(Window), 0);
    }
    void TearDown() override {
        SoundMode = SoundModeOff;
        FakeSoundTest::TearDown();
    }
    // Running as the user set it: the one-shot volume, and both water loops playing.
    void ExpectSoundingAsSet() {
        ASSERT_NE(Engine.device, nullptr);
        EXPECT_EQ(AsFake(Engine.library[SoundStrike].buffer)->volume, VolumeTable[3]);
        EXPECT_TRUE(AsFake(Engine.library[SoundWaterA].buffer)->playing);
        EXPECT_TRUE(AsFake(Engine.library[SoundWaterB].buffer)->playing);
        EXPECT_EQ(Fake.cooperativeWindow, Window);
    }
    AppSettingsGuard settings_;
};

TEST_F(DeviceWatchTest, AGoneDeviceIsLeftTriedAtThePaceAndFollowedBack) {
    const AppSettingsRecord chosen = AppSettings;
    EXPECT_EQ(WatchSoundDevice(Window, 0), DeviceFine);
    // Unplugged while nothing sounds: the look at the device notices; nothing opens.
    Fake.bufferAnswer = DeviceCodes::EndpointInvalidated;
    Fake.failCreateDevice = true;
    std::vector<uint32_t> tries;
    for (uint32_t now = 2000; now <= 40000; now += DeviceWatchPeriodMs) {
        const int before = Fake.createCalls;
        WatchSoundDevice(Window, now);
        if (Fake.createCalls != before) tries.push_back(now);
        EXPECT_EQ(Engine.device, nullptr);
    }
    EXPECT_EQ(tries, (std::vector<uint32_t>{2000, 8000, 14000, 20000, 26000, 32000, 38000}));
    EXPECT_EQ(SupportText(), "Sound Device Lost Error (0x88890004)\n");

    // A device answers again: sound is back at the next try, as the user set it.
    Fake.bufferAnswer = 0;
    Fake.failCreateDevice = false;
    EXPECT_EQ(WatchSoundDevice(Window, 40000), DeviceWait);
    EXPECT_EQ(WatchSoundDevice(Window, 44000), DeviceRetry);
    ExpectSoundingAsSet();
    EXPECT_EQ(WatchSoundDevice(Window, 46000), DeviceFine);
    EXPECT_EQ(SupportText(), "Sound Device Lost Error (0x88890004)\n");
    EXPECT_EQ(SoundMode, SoundModeEngine);
    EXPECT_EQ(0, std::memcmp(&chosen, &AppSettings, sizeof chosen));
}

// Only answers that mean the device itself is gone make the watch leave it; a buffer lost to
// another program's focus is restored where it is used, as before. With no default output
// left at all, the engine's device has gone with the rest.
TEST_F(DeviceWatchTest, OnlyAGoneDeviceIsLeft) {
    constexpr int32_t NotFound = static_cast<int32_t>(0x80070490u);   // E_NOTFOUND
    const struct {
        int32_t soundAnswer;
        int32_t defaultAnswer;
        DeviceVerdict verdict;
    } cases[] = {
        {DeviceCodes::NoDriver, 0, DeviceLeave},
        {DeviceCodes::EndpointInvalidated, 0, DeviceLeave},
        {DeviceCodes::AudioServiceStopped, 0, DeviceLeave},
        {DeviceCodes::BufferLost, 0, DeviceFine},
        {DeviceCodes::InvalidParam, 0, DeviceFine},
        {DeviceCodes::BufferLost, NotFound, DeviceLeave},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.soundAnswer);
        SoundDeviceWatch = {};
        Fake.getDeviceIdAnswer = 0;
        ASSERT_EQ(RestartSoundEngine(Window), 0);
        // Heard through a sound the sozu asks for; then the device answers again.
        Fake.bufferAnswer = c.soundAnswer;
        PlaySoundEffect(SoundStrike);
        Fake.bufferAnswer = 0;
        Fake.getDeviceIdAnswer = c.defaultAnswer;
        EXPECT_EQ(WatchSoundDevice(Window, 0), c.verdict);
        ExpectSoundingAsSet();
    }
}

TEST_F(DeviceWatchTest, ANewDefaultOutputRestartsTheEngineAndTheSameOneDoesNot) {
    const int opened = Fake.createCalls;
    EXPECT_EQ(WatchSoundDevice(Window, 2000), DeviceFine);
    EXPECT_EQ(Fake.createCalls, opened);

    Fake.defaultIdByte = 9;
    EXPECT_EQ(WatchSoundDevice(Window, 4000), DeviceFollow);
    EXPECT_EQ(Fake.createCalls, opened + 1);
    EXPECT_EQ(Engine.openedOn.bytes[0], 9);
    ExpectSoundingAsSet();
    EXPECT_EQ(WatchSoundDevice(Window, 6000), DeviceFine);
    EXPECT_EQ(SupportText(), "<none>");

    // DirectSound before DirectX 8.1 cannot tell the default: nothing changes.
    Fake.hasGetDeviceId = false;
    ASSERT_EQ(RestartSoundEngine(Window), 0);
    Fake.defaultIdByte = 11;
    EXPECT_EQ(WatchSoundDevice(Window, 30000), DeviceFine);
    EXPECT_EQ(Fake.createCalls, opened + 2);
}

// Where the system tells of every change of the outputs, the periodic look reads the default
// only while a spell of trouble is paced; the look its notice brings reads it and follows. A
// device that goes is still noticed by the periodic look's own call.
TEST_F(DeviceWatchTest, WhereTheSystemTellsTheDefaultIsReadOnItsWord) {
    SoundDeviceWatch.listening = 1;
    const int opened = Fake.createCalls;
    const int reads = Fake.getDeviceIdCalls;
    Fake.defaultIdByte = 9;
    EXPECT_EQ(WatchSoundDevice(Window, 2000), DeviceFine);
    EXPECT_EQ(Fake.getDeviceIdCalls, reads);
    EXPECT_EQ(Fake.createCalls, opened);

    EXPECT_EQ(HearOutputChange(Window, 2500), DeviceFollow);
    EXPECT_EQ(Engine.openedOn.bytes[0], 9);
    ExpectSoundingAsSet();
    int before = Fake.getDeviceIdCalls;
    EXPECT_EQ(WatchSoundDevice(Window, 4500), DeviceFine);   // the spell: read
    EXPECT_EQ(Fake.getDeviceIdCalls, before + 1);
    EXPECT_EQ(WatchSoundDevice(Window, 7500), DeviceFine);   // ends it
    before = Fake.getDeviceIdCalls;
    EXPECT_EQ(WatchSoundDevice(Window, 9500), DeviceFine);
    EXPECT_EQ(Fake.getDeviceIdCalls, before);

    Fake.bufferAnswer = DeviceCodes::EndpointInvalidated;
    Fake.failCreateDevice = true;
    EXPECT_EQ(WatchSoundDevice(Window, 11500), DeviceLeave);
    EXPECT_EQ(SupportText(), "Sound Device Lost Error (0x88890004)\n");
}

}  // namespace
