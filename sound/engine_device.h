// What the engine's bookkeeping needs of the sound platform: the DirectSound library, one
// device, its buffers and the program's "WAVE" resources. The executable binds it to
// DirectSound (sound/engine_win32.cpp); host tests bind it to a fake device in memory.
#pragma once
#include <cstdint>
#include "base/state.h"
#include "sound/wave.h"

struct SoundDeviceHandle;   // an IDirectSound
struct SoundBufferHandle;   // an IDirectSoundBuffer

// A 16-byte device identifier, as the enumeration reports it.
struct DeviceId {
    uint8_t bytes[16];
};

// DSDEVID_DefaultPlayback, the alias GetDeviceID turns into the default output's own
// identifier ({DEF00000-9C6D-47ED-AAF1-4DDA8F2B5C03} in memory order).
constexpr DeviceId DefaultPlaybackAlias = {{0x00, 0x00, 0xF0, 0xDE, 0x6D, 0x9C, 0xED, 0x47, 0xAA,
                                            0xF1, 0x4D, 0xDA, 0x8F, 0x2B, 0x5C, 0x03}};

// The platform's first buffer description form (DSBUFFERDESC1), with the format as the
// portable record. DirectSound before DirectX 7 knows only this form and refuses the later,
// larger one; every later version still takes it.
struct BufferDescription {
    uint32_t size;
    uint32_t flags;
    uint32_t bufferBytes;
    uint32_t reserved;
    const WaveFormat* format;
};
static_assert(sizeof(BufferDescription) == (sizeof(void*) == 4 ? 20 : 24),
              "the first description form: 20 bytes on 32-bit Windows, 24 on 64-bit");

// Answers 1 to hear about the next device, 0 to stop.
using DeviceEnumCallback = int (*)(const DeviceId* id, const char* description,
                                   const char* module, void* context);

// Results are the platform's HRESULTs: 0 success, negative failure.
struct SoundDeviceApi {
    // The library and its exported functions, looked up by name.
    void* (*loadLibrary)(const char* name);
    void* (*lookup)(void* module, const char* name);
    void (*unloadLibrary)(void* module);
    int32_t (*enumerate)(void* enumerateFunction, DeviceEnumCallback callback, void* context);
    int32_t (*createDevice)(void* createFunction, const DeviceId* id, SoundDeviceHandle** device);
    // GetDeviceID (DirectX 8.1 and later): the identifier behind an alias such as
    // DefaultPlaybackAlias.
    int32_t (*getDeviceId)(void* getDeviceIdFunction, const DeviceId* alias, DeviceId* id);

    int32_t (*setCooperativeLevel)(SoundDeviceHandle* device, WindowHandle window, uint32_t level);
    int32_t (*createBuffer)(SoundDeviceHandle* device, const BufferDescription* description,
                            SoundBufferHandle** buffer);
    void (*releaseDevice)(SoundDeviceHandle* device);

    int32_t (*restore)(SoundBufferHandle* buffer);
    int32_t (*lock)(SoundBufferHandle* buffer, uint32_t offset, uint32_t bytes, void** first,
                    uint32_t* firstBytes, void** second, uint32_t* secondBytes);
    int32_t (*unlock)(SoundBufferHandle* buffer, void* first, uint32_t firstBytes, void* second,
                      uint32_t secondBytes);
    int32_t (*play)(SoundBufferHandle* buffer, uint32_t flags);
    int32_t (*stop)(SoundBufferHandle* buffer);
    int32_t (*getCurrentPosition)(SoundBufferHandle* buffer, uint32_t* playCursor);
    int32_t (*setCurrentPosition)(SoundBufferHandle* buffer, uint32_t position);
    int32_t (*getVolume)(SoundBufferHandle* buffer, int32_t* volume);
    int32_t (*setVolume)(SoundBufferHandle* buffer, int32_t volume);
    int32_t (*getPan)(SoundBufferHandle* buffer, int32_t* pan);
    int32_t (*setPan)(SoundBufferHandle* buffer, int32_t pan);
    int32_t (*getFrequency)(SoundBufferHandle* buffer, uint32_t* frequency);
    int32_t (*setFrequency)(SoundBufferHandle* buffer, uint32_t frequency);
    int32_t (*getFormat)(SoundBufferHandle* buffer, WaveFormat* format);
    int32_t (*setFormat)(SoundBufferHandle* buffer, const WaveFormat* format);
    void (*release)(SoundBufferHandle* buffer);

    // Whether the program's own module holds a "WAVE" resource under name (a name or an
    // integer id below 65536), and its in-place parse.
    int (*hasWaveResource)(const char* name);
    int (*parseWaveResource)(const char* name, WaveInfo* info);
};

// Defined by the platform binding: DirectSound in the executable, a fake in host tests.
extern SoundDeviceApi SoundDevice;

// The one or two regions a lock of a buffer hands out (the second where the span wraps round
// the buffer's end).
struct LockedRegions {
    void* first = nullptr;
    uint32_t firstBytes = 0;
    void* second = nullptr;
    uint32_t secondBytes = 0;
};
// Locks bytes from offset through SoundDevice; false, with nothing to unlock, when the device
// refuses or hands out no first region.
bool LockRegions(SoundBufferHandle* buffer, uint32_t offset, uint32_t bytes, LockedRegions& r);
void UnlockRegions(SoundBufferHandle* buffer, const LockedRegions& r);

namespace DeviceCodes {
constexpr int32_t InvalidParam = static_cast<int32_t>(0x80070057u);   // DSERR_INVALIDPARAM
constexpr int32_t Unsupported = static_cast<int32_t>(0x80004001u);    // DSERR_UNSUPPORTED
// What DirectSound answers once the device under it has gone: no driver any more (every
// version), and on Vista and later, where it runs over the audio endpoints, the endpoint
// unplugged or disabled, or the audio service stopped. DSERR_BUFFERLOST is not among them: a
// focus change causes it, and Restore brings such a buffer back.
constexpr int32_t NoDriver = static_cast<int32_t>(0x88780078u);   // DSERR_NODRIVER
// AUDCLNT_E_DEVICE_INVALIDATED and AUDCLNT_E_SERVICE_NOT_RUNNING
constexpr int32_t EndpointInvalidated = static_cast<int32_t>(0x88890004u);
constexpr int32_t AudioServiceStopped = static_cast<int32_t>(0x88890010u);
constexpr int32_t BufferLost = static_cast<int32_t>(0x88780096u);   // DSERR_BUFFERLOST
constexpr uint32_t PriorityLevel = 2;                                 // DSSCL_PRIORITY
constexpr uint32_t PlayLooping = 1;                                   // DSBPLAY_LOOPING
constexpr uint32_t PrimaryBufferFlags = 0x81;       // DSBCAPS_PRIMARYBUFFER | CTRLVOLUME
constexpr uint32_t SecondaryBufferFlags = 0x100E8;  // GETCURRENTPOSITION2 | CTRLVOLUME |
                                                    // CTRLPAN | CTRLFREQUENCY | LOCSOFTWARE
constexpr uint32_t GlobalFocusFlag = 0x8000;        // DSBCAPS_GLOBALFOCUS
constexpr uint32_t BufferDescriptionBytes = sizeof(BufferDescription);
}  // namespace DeviceCodes

// Whether a device or buffer call's result says the device itself is gone.
inline bool MeansDeviceGone(int32_t result) {
    return result == DeviceCodes::NoDriver || result == DeviceCodes::EndpointInvalidated ||
           result == DeviceCodes::AudioServiceStopped;
}

// An integer resource id made with MAKEINTRESOURCE: no string behind the pointer.
inline bool IsIntegerResource(const char* name) {
    return reinterpret_cast<uintptr_t>(name) < 0x10000u;
}
inline const char* IntegerResource(uint32_t id) {
    return reinterpret_cast<const char*>(static_cast<uintptr_t>(id & 0xFFFFu));
}
