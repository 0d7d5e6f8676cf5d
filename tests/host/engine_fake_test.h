// A sound device in memory for the engine's host tests: buffers are byte vectors that record
// what is done to them, every platform step can be made to fail, and the multimedia library is
// a fake whose timer the test fires by hand.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sound/engine_device.h"
#include "res/resource.h"
#include "sound/mmfuncs.h"

struct FakeBuffer {
    bool primary = false;
    bool released = false;
    uint32_t flags = 0;
    WaveFormat format = {};
    std::vector<uint8_t> bytes;
    int32_t volume = 0;
    int32_t pan = 0;
    uint32_t frequency = 0;
    uint32_t position = 0;
    bool playing = false;
    uint32_t playFlags = 0;
    int plays = 0;
    int stops = 0;
    int locks = 0;
    std::vector<int32_t> volumesSent;
    std::vector<int32_t> pansSent;
};

struct FakeWaveResource {
    WaveFormat format;
    std::vector<uint8_t> samples;
};

struct FakeSoundState {
    // Failure switches, one per platform step.
    bool failLoad = false;
    bool failLookupEnumerate = false;
    bool failLookupCreate = false;
    bool failCreateDevice = false;
    bool failCooperative = false;
    bool failPrimary = false;
    bool failSetFormat = false;
    bool failCreateBuffer = false;
    bool failLock = false;
    bool failMultimediaLoad = false;
    bool failDevCaps = false;
    bool failBeginPeriod = false;
    bool failSetEvent = false;
    // What the buffers' play, stop, position, volume and pan calls answer (0, or a device that
    // is gone, or a lost buffer); those that fail change nothing.
    int32_t bufferAnswer = 0;
    // GetDeviceID: whether dsound exports it, and the default output it tells.
    bool hasGetDeviceId = true;
    uint8_t defaultIdByte = 7;
    int32_t getDeviceIdAnswer = 0;   // a failure: no output is the default
    int getDeviceIdCalls = 0;
    // Answers of successive enumerations; 0 once the list runs out.
    std::vector<int32_t> enumerateAnswers;
    // Devices each enumeration reports: a description, and an identifier or none.
    struct Device {
        std::string description;
        bool hasId;
        uint8_t idByte;
    };
    std::vector<Device> devices = {{"Primary Sound Driver", false, 0}, {"Fake Card", true, 7}};

    int enumerateCalls = 0;
    int createCalls = 0;
    int libraryLoads = 0;
    int libraryUnloads = 0;
    bool deviceOpen = false;
    DeviceId createdWith = {};
    WindowHandle cooperativeWindow = nullptr;
    uint32_t cooperativeLevel = 0;
    std::vector<std::unique_ptr<FakeBuffer>> buffers;
    std::map<uintptr_t, FakeWaveResource> resources;

    // The multimedia library.
    bool multimediaLoaded = false;
    std::vector<uint32_t> periodsBegun;
    std::vector<uint32_t> periodsEnded;
    TimerCallback timerCallback = nullptr;
    uint32_t timerDelay = 0;
    uint32_t timerResolution = 0;
    uint32_t timerFlags = 0;
    uint32_t nextTimerId = 40;
    std::vector<uint32_t> timersKilled;
    uint32_t liveTimer = 0;
};

extern FakeSoundState Fake;

// Puts the fake device and multimedia library in place with a fresh state; the engine is shut
// down first and the support log forgotten.
void ResetFakeSound();

// The buffer most recently made that is neither primary nor released.
FakeBuffer* LastSecondary();
FakeBuffer* AsFake(SoundBufferHandle* buffer);

// A 16-bit mono 22050 Hz sound under an integer resource id, samples counting up.
void AddFakeResource(uint32_t id, uint32_t dataBytes);

// A mono 22050 Hz PCM WAVE file of the given sample width holding these sample bytes.
void WriteWave(const char* path, const std::vector<uint8_t>& samples, uint16_t bits = 16);

// Fires the refill timer once, as the multimedia timer thread would.
void FireStreamTimer();

#include <gtest/gtest.h>

// Every engine, effects and stream test runs over a fresh fake, in a private current directory
// of its own so that parallel test processes never share a "supinfo.txt".
class FakeSoundTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Init(window 0x1234, 22050, 16, 1, slots) over the fake; answers Init's result.
    int32_t StartEngine(uint32_t slots = 5);
    // The support file's whole content, or "<none>".
    std::string SupportText() const;
    LibraryLoader savedLoader_ = {};
    std::string previousDirectory_;
    std::string directory_;
};
