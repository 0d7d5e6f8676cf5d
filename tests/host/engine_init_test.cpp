// The engine's start over the fake device: each failing step, its message and a clean engine
// afterwards; repeated starts; the enumeration list and its retries; the entry table.
#include <cstring>

#include "sound/engine.h"
#include "sound/engine_state.h"
#include "sound/supinfo.h"
#include "tests/host/engine_fake_test.h"

namespace {

using EngineInit = FakeSoundTest;

void ExpectEngineOff() {
    EXPECT_EQ(Engine.slotCount, 0u);
    EXPECT_EQ(Engine.library, nullptr);
    EXPECT_EQ(Engine.device, nullptr);
    EXPECT_EQ(Engine.primaryBuffer, nullptr);
    EXPECT_EQ(Engine.dsoundModule, nullptr);
    EXPECT_EQ(Engine.holdsMultimedia, 0);
    EXPECT_EQ(Engine.timerCaps.periodMin, 0u);
    EXPECT_EQ(MultimediaFunctions.module, nullptr);
    EXPECT_FALSE(Fake.multimediaLoaded);
    EXPECT_FALSE(Fake.deviceOpen);
    EXPECT_EQ(Fake.libraryLoads, Fake.libraryUnloads);
    for (const auto& b : Fake.buffers) {
        EXPECT_TRUE(b->released);
    }
}

TEST_F(EngineInit, EachFailingStepLogsItsMessageAndLeavesTheEngineOff) {
    struct Case {
        bool FakeSoundState::*fault;
        const char* message;
    } cases[] = {
        {&FakeSoundState::failMultimediaLoad, "GetFunction Failed (WINMM.DLL)"},
        {&FakeSoundState::failLoad, "LoadLibrary Failed (DSOUND.DLL)"},
        {&FakeSoundState::failLookupEnumerate,
         "GetProcAddress Failed (DSOUND.DLL - DirectSoundEnumerate)"},
        {&FakeSoundState::failLookupCreate, "GetProcAddress Failed (DSOUND.DLL - DirectSoundCreate)"},
        {&FakeSoundState::failCreateDevice, "DirectSoundCreate Failed"},
        {&FakeSoundState::failCooperative, "Set CooperativeLevel Failed"},
        {&FakeSoundState::failPrimary, "Create PrimaryBuffer Failed"},
        {&FakeSoundState::failSetFormat, "Create PrimaryBuffer Failed"},
        {&FakeSoundState::failDevCaps, "Get TIMECAPS Failed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        ResetFakeSound();
        Fake.*c.fault = true;
        EXPECT_EQ(StartEngine(), 0);
        ExpectEngineOff();
        EXPECT_EQ(SupportText(), std::string(c.message) + "\n");
        EXPECT_TRUE(Fake.periodsBegun.empty());
        EXPECT_TRUE(Fake.periodsEnded.empty());
    }
}

TEST_F(EngineInit, InvalidArgumentFromEnumerationFailsAtOnce) {
    Fake.enumerateAnswers = {static_cast<int32_t>(0x80070057u)};
    EXPECT_EQ(StartEngine(), 0);
    EXPECT_EQ(Fake.enumerateCalls, 1);
    EXPECT_EQ(SupportText(), "Enumerate Driver Failed\n");
    ExpectEngineOff();
}

TEST_F(EngineInit, OtherEnumerationFailuresAreRetriedTenTimesAtMost) {
    Fake.enumerateAnswers = {-1, -1, -1};
    EXPECT_EQ(StartEngine(), 1);
    EXPECT_EQ(Fake.enumerateCalls, 4);

    ResetFakeSound();
    Fake.enumerateAnswers.assign(20, -1);
    EXPECT_EQ(StartEngine(), 0);
    EXPECT_EQ(Fake.enumerateCalls, EnumerateAttempts);
    EXPECT_EQ(SupportText(), "Enumerate Driver Failed\n");
    ExpectEngineOff();
}

TEST_F(EngineInit, SecondFailureOfARunAddsASecondLine) {
    Fake.failCreateDevice = true;
    EXPECT_EQ(StartEngine(), 0);
    Fake.failCreateDevice = false;
    Fake.failCooperative = true;
    EXPECT_EQ(StartEngine(), 0);
    EXPECT_EQ(SupportText(), "DirectSoundCreate Failed\nSet CooperativeLevel Failed\n");
}

TEST_F(EngineInit, SuccessBuildsDevicePrimaryBufferAndSlots) {
    ASSERT_EQ(StartEngine(), 1);
    EXPECT_EQ(Engine.slotCount, 5u);
    EXPECT_EQ(Fake.cooperativeWindow, reinterpret_cast<WindowHandle>(0x1234));
    EXPECT_EQ(Fake.cooperativeLevel, 2u);
    ASSERT_EQ(Fake.buffers.size(), 1u);
    const FakeBuffer& primary = *Fake.buffers[0];
    EXPECT_EQ(primary.flags, 129u);
    EXPECT_EQ(primary.format.formatTag, 1);
    EXPECT_EQ(primary.format.blockAlign, 2);
    EXPECT_EQ(primary.format.avgBytesPerSec, 44100u);
    EXPECT_EQ(std::memcmp(&Engine.primaryFormat, &primary.format, sizeof(WaveFormat)), 0);
    // The timer resolution is left alone: only a playing stream raises it.
    EXPECT_TRUE(Fake.periodsBegun.empty());
    EXPECT_EQ(Engine.timerCaps.periodMin, 1u);
    EXPECT_EQ(MultimediaFunctions.users, 1);
    EXPECT_EQ(SupportText(), "<none>");

    SoundEngine::Shutdown();
    ExpectEngineOff();
    EXPECT_TRUE(Fake.periodsEnded.empty());
    SoundEngine::Shutdown();   // twice is harmless
    ExpectEngineOff();
}

TEST_F(EngineInit, SecondInitTearsDownTheFirst) {
    AddFakeResource(IDW_STRIKE, 1000);
    ASSERT_EQ(StartEngine(), 1);
    ASSERT_EQ(SoundEngine::LoadSample(0, IntegerResource(IDW_STRIKE)), 1);
    FakeBuffer* first = LastSecondary();
    ASSERT_EQ(StartEngine(3), 1);
    EXPECT_TRUE(first->released);
    EXPECT_EQ(Engine.slotCount, 3u);
    EXPECT_EQ(SoundEngine::PlaySample(0, 0), 0);   // sounds must be loaded again
    EXPECT_EQ(Fake.libraryLoads, 2);
    EXPECT_EQ(Fake.libraryUnloads, 1);
    EXPECT_EQ(MultimediaFunctions.users, 1);
    EXPECT_TRUE(Fake.periodsBegun.empty());
}

TEST_F(EngineInit, EnumerationListKeepsTheFirstTenDevicesOfTheProcess) {
    Fake.devices = {{"Card A", true, 9}, {"Card B", true, 3}, {"Card C", false, 0}};
    for (int i = 0; i < 4; ++i) {
        ResetFakeSound();
        Fake.devices = {{"Card A", true, 9}, {"Card B", true, 3}, {"Card C", false, 0}};
        ASSERT_EQ(StartEngine(), 1);
        DeviceId expected;
        std::memset(expected.bytes, 9, 16);
        EXPECT_EQ(std::memcmp(Fake.createdWith.bytes, expected.bytes, 16), 0);
    }
    const DriverList& list = Engine.driverList;
    EXPECT_EQ(list.count, 10);
    EXPECT_STREQ(list.descriptions[0], "Card A");
    EXPECT_STREQ(list.descriptions[9], "Card A");   // the fourth round was cut after one
    EXPECT_STREQ(list.descriptions[8], "Card C");
    EXPECT_EQ(list.identifiers[8].bytes[0], 0);      // reported without an identifier
    EXPECT_EQ(list.identifiers[7].bytes[15], 3);
}

TEST_F(EngineInit, FirstDeviceWithoutIdentifierOpensTheDefaultDevice) {
    ASSERT_EQ(StartEngine(), 1);   // the fake reports "Primary Sound Driver" first, no id
    for (uint8_t b : Fake.createdWith.bytes) EXPECT_EQ(b, 0);
}

TEST_F(EngineInit, LongDescriptionsAreCutTo255Characters) {
    Fake.devices = {{std::string(400, 'x'), true, 1}};
    ASSERT_EQ(StartEngine(), 1);
    EXPECT_EQ(std::strlen(Engine.driverList.descriptions[0]), 255u);
}

TEST_F(EngineInit, FailureTextIsBoundedTo128Bytes) {
    ReportEngineFailure("%s", std::string(300, 'y').c_str());
    std::string text = SupportText();
    EXPECT_EQ(text.size(), 127u);
    EXPECT_EQ(text.back(), '\n');
}

TEST_F(EngineInit, EntryTableHoldsTheOperationsInOrder) {
    using Entry = void (*)();
    const auto entry = [](auto function) { return reinterpret_cast<Entry>(function); };
    // Every entry in its place: two operations of the same signature swapped must show.
    using namespace SoundEngine;
    const Entry expected[SoundEngineEntryCount] = {
        entry(GetVersion),      entry(Init),           entry(Shutdown),
        entry(LoadSample),      entry(FreeSample),     entry(FreeAllSamples),
        entry(OpenStream),      entry(CloseStream),    entry(PlaySample),
        entry(StopSample),      entry(RewindSample),   entry(PlayStream),
        entry(PauseStream),     entry(StopStream),     entry(GetPan),
        entry(SetPan),          entry(GetFrequency),   entry(SetFrequency),
        entry(GetVolume),       entry(SetVolume),      entry(GetMasterVolume),
        entry(SetMasterVolume), entry(GetPositionMs),  entry(SetPositionMs),
        entry(GetLengthMs),     entry(SetGlobalFocus), entry(WriteSupportInfo),
    };
    const Entry* entries = reinterpret_cast<const Entry*>(&SoundEngineEntries);
    for (int i = 0; i < SoundEngineEntryCount; ++i) EXPECT_EQ(entries[i], expected[i]) << i;
    EXPECT_EQ(SoundEngineEntries.GetVersion(), 355);
}

}  // namespace
