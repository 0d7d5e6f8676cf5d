// The engine's process-wide state, shared by the engine's operations and its stream, and
// open to the tests that drive them over a fake device.
#pragma once
#include <cstdint>
#include <cstdio>
#include "sound/engine_device.h"
#include "sound/mmfuncs.h"
#include "sound/wave.h"

struct SampleSlot {
    SoundBufferHandle* buffer;   // null while the slot is empty
    char* fileName;              // the file the sound came from; null for a resource
    WaveInfo info;               // only the block alignment and the data size are used later
};

constexpr int DriverListCapacity = 10;
constexpr int DriverDescriptionBytes = 256;

struct DriverList {
    int32_t count;   // every device reported in the process, up to 10; never reset
    DeviceId identifiers[DriverListCapacity];
    char descriptions[DriverListCapacity][DriverDescriptionBytes];
};

struct SoundStream {
    SoundBufferHandle* buffer;
    WaveInfo info;             // the file's header; no samples
    std::FILE* file;           // null while no stream is open
    uint32_t bufferBytes;
    uint32_t dataEnd;          // file offset just past the samples
    int32_t secondHalfFilled;  // 1 when the half filled last is the second one
    int32_t looping;
    int32_t ended;             // a non-looping stream ran out and its tail is written
    uint32_t timerId;
    int32_t refilling;         // the timer's refills may act; cleared before the timer is killed
    int32_t periodRaised;      // the refills hold the timer resolution raised (timeBeginPeriod)
};

struct SoundEngineState {
    void* dsoundModule;
    void* getDeviceIdFunction;   // null where dsound.dll predates DirectX 8.1
    int32_t holdsMultimedia;
    SoundDeviceHandle* device;
    SoundBufferHandle* primaryBuffer;
    WaveFormat primaryFormat;
    uint32_t sampleRate;
    uint32_t bitsPerSample;
    uint32_t channels;
    SampleSlot* library;
    uint32_t slotCount;
    int32_t globalFocus;
    TimerCaps timerCaps;         // the refill timer's finest resolution; nothing is raised
    DriverList driverList;
    SoundStream stream;
    // The default output's identifier just before the device was opened (known is 0 where it
    // could not be read), so a later default can be told from it.
    int32_t openedOnKnown;
    DeviceId openedOn;
    // The first result since the start that said the device is gone; 0 while none did.
    int32_t goneResult;
};

extern SoundEngineState Engine;

// The capability flags of every slot or stream buffer made now.
uint32_t SecondaryFlags();

// Bounded retries of an enumeration that keeps failing with something other than an invalid
// argument; after the last, Init gives up as if the argument had been refused.
constexpr int EnumerateAttempts = 10;

// Device enumeration callback: appends to driverList until it holds ten.
int EnumDriverCallback(const DeviceId* id, const char* description, const char* module,
                       void* context);

// The stream's half-by-half fill, run by the refill timer and once by PlayStream to prime.
// The caller holds the stream lock (see sound/stream.h).
void RefillStream();
