// Sample slots over the fake device: loading, failure values, buffer flags and the
// byte/millisecond conversions.
#include <cstdio>
#include <cstring>
#include <vector>

#include "sound/engine.h"
#include "sound/engine_state.h"
#include "tests/host/engine_fake_test.h"

namespace {

using EngineSlots = FakeSoundTest;
constexpr uint32_t StrikeBytes = 218028;

TEST_F(EngineSlots, EmptyOrMissingSlotsAnswerTheirFailureValues) {
    auto expectFailureValues = [](uint32_t slot) {
        EXPECT_EQ(SoundEngine::GetPan(slot), INT32_MIN);
        EXPECT_EQ(SoundEngine::GetVolume(slot), 1);
        EXPECT_EQ(SoundEngine::GetFrequency(slot), 0u);
        EXPECT_EQ(SoundEngine::GetPositionMs(slot), 0);
        EXPECT_EQ(SoundEngine::GetLengthMs(slot), 0);
        EXPECT_EQ(SoundEngine::SetPositionMs(slot, 10), 0);
        EXPECT_EQ(SoundEngine::PlaySample(slot, 1), 0);
        EXPECT_EQ(SoundEngine::StopSample(slot), 0);
        EXPECT_EQ(SoundEngine::RewindSample(slot), 0);
        EXPECT_EQ(SoundEngine::SetPan(slot, 5), 0);
        EXPECT_EQ(SoundEngine::SetVolume(slot, -5), 0);
        EXPECT_EQ(SoundEngine::SetFrequency(slot, 8000), 0);
        SoundEngine::FreeSample(slot);
    };
    // Engine off.
    expectFailureValues(0);
    EXPECT_EQ(SoundEngine::GetMasterVolume(), 1);
    EXPECT_EQ(SoundEngine::SetMasterVolume(-100), 0);
    EXPECT_EQ(SoundEngine::SetGlobalFocus(1), 0);
    EXPECT_EQ(SoundEngine::LoadSample(0, IntegerResource(IDW_STRIKE)), 0);
    // Engine on: an empty slot, and the slot just past the last.
    ASSERT_EQ(StartEngine(), 1);
    AddFakeResource(IDW_STRIKE, 100);
    expectFailureValues(2);
    expectFailureValues(5);
    EXPECT_EQ(SoundEngine::LoadSample(5, IntegerResource(IDW_STRIKE)), 0);
    EXPECT_EQ(SoundEngine::SetMasterVolume(-300), 1);
    EXPECT_EQ(SoundEngine::GetMasterVolume(), -300);
}

TEST_F(EngineSlots, LoadedResourceIsCopiedWhole) {
    ASSERT_EQ(StartEngine(), 1);
    AddFakeResource(IDW_ECHO, 55596);
    ASSERT_EQ(SoundEngine::LoadSample(1, IntegerResource(IDW_ECHO)), 1);
    FakeBuffer* b = LastSecondary();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->bytes, Fake.resources[IDW_ECHO].samples);
    EXPECT_EQ(Engine.library[1].fileName, nullptr);
    EXPECT_EQ(Engine.library[1].info.dataSize, 55596u);
    EXPECT_EQ(Engine.library[1].info.samples, nullptr);   // stale after loading, never kept
}

TEST_F(EngineSlots, FullSlotKeepsItsSound) {
    ASSERT_EQ(StartEngine(), 1);
    AddFakeResource(IDW_STRIKE, 100);
    AddFakeResource(IDW_ECHO, 200);
    ASSERT_EQ(SoundEngine::LoadSample(0, IntegerResource(IDW_STRIKE)), 1);
    SoundBufferHandle* held = Engine.library[0].buffer;
    EXPECT_EQ(SoundEngine::LoadSample(0, IntegerResource(IDW_ECHO)), 0);
    EXPECT_EQ(Engine.library[0].buffer, held);
    EXPECT_EQ(AsFake(held)->bytes.size(), 100u);
    EXPECT_EQ(Fake.buffers.size(), 2u);   // no buffer was made for the refused sound
}

TEST_F(EngineSlots, RefusedLoadsLeaveTheSlotEmptyAndNoBufferBehind) {
    ASSERT_EQ(StartEngine(), 1);
    AddFakeResource(IDW_STRIKE, 100);
    AddFakeResource(250, 0);
    struct Case {
        const char* what;
        const char* name;
        bool failCreate;
        bool failLock;
    } cases[] = {
        {"id without a resource", IntegerResource(999), false, false},
        {"missing file", "no-such-file.wav", false, false},
        {"empty data", IntegerResource(250), false, false},
        {"buffer refused", IntegerResource(IDW_STRIKE), true, false},
        {"lock refused", IntegerResource(IDW_STRIKE), false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fake.failCreateBuffer = c.failCreate;
        Fake.failLock = c.failLock;
        EXPECT_EQ(SoundEngine::LoadSample(0, c.name), 0);
        EXPECT_EQ(Engine.library[0].buffer, nullptr);
        for (const auto& b : Fake.buffers) {
            if (!b->primary) {
                EXPECT_TRUE(b->released);
            }
        }
    }
    // The lock was refused: nothing was written into the buffer the device made.
    EXPECT_EQ(Fake.buffers.back()->bytes, std::vector<uint8_t>(100, 0xEE));
}

TEST_F(EngineSlots, BufferFlagsFollowGlobalFocus) {
    ASSERT_EQ(StartEngine(), 1);
    AddFakeResource(IDW_STRIKE, 100);
    ASSERT_EQ(SoundEngine::LoadSample(0, IntegerResource(IDW_STRIKE)), 1);
    EXPECT_EQ(LastSecondary()->flags, 65768u);
    EXPECT_EQ(SoundEngine::SetGlobalFocus(1), 1);
    EXPECT_EQ(Engine.library[0].buffer, nullptr);   // every slot emptied
    ASSERT_EQ(SoundEngine::LoadSample(0, IntegerResource(IDW_STRIKE)), 1);
    EXPECT_EQ(LastSecondary()->flags, 98536u);
}

TEST_F(EngineSlots, PlayStopRewindAndControlsReachTheSlotBuffer) {
    ASSERT_EQ(StartEngine(), 1);
    AddFakeResource(IDW_STRIKE, 1000);
    ASSERT_EQ(SoundEngine::LoadSample(0, IntegerResource(IDW_STRIKE)), 1);
    FakeBuffer* b = LastSecondary();
    EXPECT_EQ(SoundEngine::PlaySample(0, 7), 1);
    EXPECT_TRUE(b->playing);
    EXPECT_EQ(b->playFlags, 1u);
    EXPECT_EQ(SoundEngine::PlaySample(0, 0), 1);
    EXPECT_EQ(b->playFlags, 0u);
    b->position = 500;
    EXPECT_EQ(SoundEngine::StopSample(0), 1);
    EXPECT_EQ(b->position, 500u);
    EXPECT_EQ(SoundEngine::RewindSample(0), 1);
    EXPECT_FALSE(b->playing);
    EXPECT_EQ(b->position, 0u);
    EXPECT_EQ(SoundEngine::SetPan(0, -299), 1);
    EXPECT_EQ(SoundEngine::GetPan(0), -299);
    EXPECT_EQ(SoundEngine::SetVolume(0, -1000), 1);
    EXPECT_EQ(SoundEngine::GetVolume(0), -1000);
    SoundEngine::FreeSample(0);
    EXPECT_TRUE(b->released);
    EXPECT_EQ(Engine.library[0].buffer, nullptr);
}

TEST_F(EngineSlots, MillisecondConversionsUseTheSinglePrecisionFactor) {
    ASSERT_EQ(StartEngine(), 1);
    AddFakeResource(IDW_STRIKE, StrikeBytes);
    ASSERT_EQ(SoundEngine::LoadSample(0, IntegerResource(IDW_STRIKE)), 1);
    FakeBuffer* b = LastSecondary();
    EXPECT_EQ(SoundEngine::GetLengthMs(0), 4943);
    EXPECT_EQ(SoundEngine::SetPositionMs(0, 10), 1);
    EXPECT_EQ(b->position, 441u);   // a whole byte, not a whole block
    EXPECT_EQ(SoundEngine::SetPositionMs(0, 1), 1);
    EXPECT_EQ(b->position, 44u);
    b->position = 44100;
    EXPECT_EQ(SoundEngine::GetPositionMs(0), 999);   // the factor is a hair above 0.001
    b->position = 44102;
    EXPECT_EQ(SoundEngine::GetPositionMs(0), 1000);
    EXPECT_EQ(SoundEngine::SetPositionMs(0, -1), 0);
    EXPECT_EQ(SoundEngine::SetPositionMs(0, 5000), 0);   // past the buffer: refused

    ASSERT_EQ(SoundEngine::SetFrequency(0, 44100), 1);
    EXPECT_EQ(SoundEngine::GetLengthMs(0), 2471);   // double speed, half the length
    EXPECT_EQ(SoundEngine::SetPositionMs(0, 10), 1);
    EXPECT_EQ(b->position, 882u);
    ASSERT_EQ(SoundEngine::SetFrequency(0, 0), 1);
    EXPECT_EQ(SoundEngine::GetLengthMs(0), 0);   // no division by a zero rate
    EXPECT_EQ(SoundEngine::GetPositionMs(0), 0);
}

TEST_F(EngineSlots, FileSoundKeepsItsNameAndIsCopiedWhole) {
    ASSERT_EQ(StartEngine(), 1);
    std::vector<uint8_t> samples(3000);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 13);
    WriteWave("sound.wav", samples);
    ASSERT_EQ(SoundEngine::LoadSample(4, "sound.wav"), 1);
    EXPECT_STREQ(Engine.library[4].fileName, "sound.wav");
    EXPECT_EQ(LastSecondary()->bytes, samples);
    EXPECT_EQ(SoundEngine::GetLengthMs(4), 68);   // 3000 / 44.1000002
    SoundEngine::Shutdown();
    std::remove("sound.wav");
}

}  // namespace
