// The process-wide DirectSound engine: one output device, a primary buffer of a fixed format,
// numbered sample slots each with its own secondary buffer, and one file stream.
#pragma once
#include <cstdint>
#include "base/state.h"

struct DeviceId;

namespace SoundEngine {

constexpr int32_t InterfaceVersion = 355;

int32_t GetVersion();
int32_t Init(WindowHandle window, uint32_t sampleRate, uint32_t bitsPerSample, uint32_t channels,
             uint32_t slotCount);
void Shutdown();
// name: an integer resource id (below 65536, as MAKEINTRESOURCE makes it), a "WAVE" resource
// name, or else a file path.
int32_t LoadSample(uint32_t slot, const char* name);
void FreeSample(uint32_t slot);
void FreeAllSamples();
int32_t OpenStream(const char* fileName, uint32_t bufferMs);
void CloseStream();
int32_t PlaySample(uint32_t slot, int32_t loop);
int32_t StopSample(uint32_t slot);
int32_t RewindSample(uint32_t slot);
int32_t PlayStream(int32_t loop);
int32_t PauseStream();
int32_t StopStream();
int32_t GetPan(uint32_t slot);
int32_t SetPan(uint32_t slot, int32_t pan);
uint32_t GetFrequency(uint32_t slot);
int32_t SetFrequency(uint32_t slot, uint32_t frequency);
int32_t GetVolume(uint32_t slot);
int32_t SetVolume(uint32_t slot, int32_t volume);
int32_t GetMasterVolume();
int32_t SetMasterVolume(int32_t volume);
int32_t GetPositionMs(uint32_t slot);
int32_t SetPositionMs(uint32_t slot, int32_t ms);
int32_t GetLengthMs(uint32_t slot);
int32_t SetGlobalFocus(int32_t flag);
// WriteSupportInfo (sound/supinfo.h) is the table's last entry.

// Beyond the table, for the program's watch over its output device:
// The default output's identifier, read through the dsound.dll the engine holds: 0 and the
// identifier, the platform's failure (none is the default now), or DeviceCodes::Unsupported
// while the engine is down or its DirectSound predates DirectX 8.1.
int32_t DefaultOutputId(DeviceId* id);
// The first result since the start that said the device is gone, after one look at the
// device; 0 while it answers (and while the engine is down).
int32_t DeviceGoneResult();

}  // namespace SoundEngine

// The 27 operations as published entry points, in their fixed order; entry 0 answers the
// interface version.
struct SoundEngineTable {
    int32_t (*GetVersion)();
    int32_t (*Init)(WindowHandle, uint32_t, uint32_t, uint32_t, uint32_t);
    void (*Shutdown)();
    int32_t (*LoadSample)(uint32_t, const char*);
    void (*FreeSample)(uint32_t);
    void (*FreeAllSamples)();
    int32_t (*OpenStream)(const char*, uint32_t);
    void (*CloseStream)();
    int32_t (*PlaySample)(uint32_t, int32_t);
    int32_t (*StopSample)(uint32_t);
    int32_t (*RewindSample)(uint32_t);
    int32_t (*PlayStream)(int32_t);
    int32_t (*PauseStream)();
    int32_t (*StopStream)();
    int32_t (*GetPan)(uint32_t);
    int32_t (*SetPan)(uint32_t, int32_t);
    uint32_t (*GetFrequency)(uint32_t);
    int32_t (*SetFrequency)(uint32_t, uint32_t);
    int32_t (*GetVolume)(uint32_t);
    int32_t (*SetVolume)(uint32_t, int32_t);
    int32_t (*GetMasterVolume)();
    int32_t (*SetMasterVolume)(int32_t);
    int32_t (*GetPositionMs)(uint32_t);
    int32_t (*SetPositionMs)(uint32_t, int32_t);
    int32_t (*GetLengthMs)(uint32_t);
    int32_t (*SetGlobalFocus)(int32_t);
    void (*WriteSupportInfo)(const char*, ...);
};
constexpr int SoundEngineEntryCount = 27;
static_assert(sizeof(SoundEngineTable) == SoundEngineEntryCount * sizeof(void (*)()),
              "the table is a plain array of entry points");
extern const SoundEngineTable SoundEngineEntries;
