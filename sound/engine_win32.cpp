// The engine's device bound to DirectSound: "dsound.dll" loaded at run time from the system
// folder, its exported functions looked up by name, and the COM interfaces called through
// <dsound.h>.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstddef>
#include <cstring>

#include "base/system_win32.h"
#include "sound/engine_device.h"
#include "sound/mmfuncs.h"

static_assert(sizeof(DeviceId) == sizeof(GUID), "device identifiers are GUIDs");
static_assert(sizeof(WaveFormat) == sizeof(WAVEFORMATEX), "WaveFormat is WAVEFORMATEX");
static_assert(sizeof(DSBUFFERDESC1) == DeviceCodes::BufferDescriptionBytes &&
                  offsetof(DSBUFFERDESC1, lpwfxFormat) == offsetof(BufferDescription, format),
              "the portable description has the first DSBUFFERDESC form's layout");

namespace {

using EnumerateFunction = HRESULT(WINAPI*)(LPDSENUMCALLBACKA, LPVOID);
using CreateFunction = HRESULT(WINAPI*)(LPCGUID, LPDIRECTSOUND*, LPUNKNOWN);
using GetDeviceIdFunction = HRESULT(WINAPI*)(LPCGUID, LPGUID);

IDirectSound* Device(SoundDeviceHandle* device) { return reinterpret_cast<IDirectSound*>(device); }
IDirectSoundBuffer* Buffer(SoundBufferHandle* buffer) {
    return reinterpret_cast<IDirectSoundBuffer*>(buffer);
}


// The portable callback and its context travel through the platform's one context pointer.
struct EnumerateRelay {
    DeviceEnumCallback callback;
    void* context;
};

BOOL CALLBACK RelayDevice(LPGUID id, LPCSTR description, LPCSTR module, LPVOID context) {
    auto* relay = static_cast<EnumerateRelay*>(context);
    return relay->callback(reinterpret_cast<const DeviceId*>(id), description, module,
                           relay->context) != 0;
}

int32_t Enumerate(void* function, DeviceEnumCallback callback, void* context) {
    EnumerateRelay relay = {callback, context};
    return reinterpret_cast<EnumerateFunction>(function)(RelayDevice, &relay);
}

int32_t CreateDevice(void* function, const DeviceId* id, SoundDeviceHandle** device) {
    LPDIRECTSOUND created = nullptr;
    HRESULT result = reinterpret_cast<CreateFunction>(function)(
        reinterpret_cast<LPCGUID>(id), &created, nullptr);
    *device = reinterpret_cast<SoundDeviceHandle*>(created);
    return result;
}

int32_t GetDeviceId(void* function, const DeviceId* alias, DeviceId* id) {
    return reinterpret_cast<GetDeviceIdFunction>(function)(reinterpret_cast<LPCGUID>(alias),
                                                           reinterpret_cast<LPGUID>(id));
}

int32_t SetCooperativeLevel(SoundDeviceHandle* device, WindowHandle window, uint32_t level) {
    return Device(device)->SetCooperativeLevel(static_cast<HWND>(window), level);
}

int32_t CreateBuffer(SoundDeviceHandle* device, const BufferDescription* description,
                     SoundBufferHandle** buffer) {
    // The header's DSBUFFERDESC is the DirectX 7 form, with a 3D algorithm field that older
    // DirectSound refuses; the first form is what every version takes.
    DSBUFFERDESC1 platform = {};
    platform.dwSize = description->size;
    platform.dwFlags = description->flags;
    platform.dwBufferBytes = description->bufferBytes;
    platform.dwReserved = description->reserved;
    platform.lpwfxFormat = reinterpret_cast<WAVEFORMATEX*>(const_cast<WaveFormat*>(description->format));
    LPDIRECTSOUNDBUFFER created = nullptr;
    HRESULT result = Device(device)->CreateSoundBuffer(reinterpret_cast<LPCDSBUFFERDESC>(&platform),
                                                       &created, nullptr);
    *buffer = reinterpret_cast<SoundBufferHandle*>(created);
    return result;
}

void ReleaseDevice(SoundDeviceHandle* device) { Device(device)->Release(); }

int32_t Restore(SoundBufferHandle* b) { return Buffer(b)->Restore(); }
int32_t Lock(SoundBufferHandle* b, uint32_t offset, uint32_t bytes, void** first,
             uint32_t* firstBytes, void** second, uint32_t* secondBytes) {
    DWORD n1 = 0;
    DWORD n2 = 0;
    HRESULT result = Buffer(b)->Lock(offset, bytes, first, &n1, second, &n2, 0);
    *firstBytes = n1;
    *secondBytes = n2;
    return result;
}
int32_t Unlock(SoundBufferHandle* b, void* first, uint32_t firstBytes, void* second,
               uint32_t secondBytes) {
    return Buffer(b)->Unlock(first, firstBytes, second, secondBytes);
}
int32_t Play(SoundBufferHandle* b, uint32_t flags) { return Buffer(b)->Play(0, 0, flags); }
int32_t Stop(SoundBufferHandle* b) { return Buffer(b)->Stop(); }
int32_t GetCurrentPosition(SoundBufferHandle* b, uint32_t* play) {
    DWORD cursor = 0;
    HRESULT result = Buffer(b)->GetCurrentPosition(&cursor, nullptr);
    *play = cursor;
    return result;
}
int32_t SetCurrentPosition(SoundBufferHandle* b, uint32_t position) {
    return Buffer(b)->SetCurrentPosition(position);
}
int32_t GetVolume(SoundBufferHandle* b, int32_t* volume) {
    LONG value = 0;
    HRESULT result = Buffer(b)->GetVolume(&value);
    *volume = value;
    return result;
}
int32_t SetVolume(SoundBufferHandle* b, int32_t volume) { return Buffer(b)->SetVolume(volume); }
int32_t GetPan(SoundBufferHandle* b, int32_t* pan) {
    LONG value = 0;
    HRESULT result = Buffer(b)->GetPan(&value);
    *pan = value;
    return result;
}
int32_t SetPan(SoundBufferHandle* b, int32_t pan) { return Buffer(b)->SetPan(pan); }
int32_t GetFrequency(SoundBufferHandle* b, uint32_t* frequency) {
    DWORD value = 0;
    HRESULT result = Buffer(b)->GetFrequency(&value);
    *frequency = value;
    return result;
}
int32_t SetFrequency(SoundBufferHandle* b, uint32_t frequency) {
    return Buffer(b)->SetFrequency(frequency);
}
int32_t GetFormat(SoundBufferHandle* b, WaveFormat* format) {
    return Buffer(b)->GetFormat(reinterpret_cast<WAVEFORMATEX*>(format), sizeof(WaveFormat),
                                nullptr);
}
int32_t SetFormat(SoundBufferHandle* b, const WaveFormat* format) {
    return Buffer(b)->SetFormat(reinterpret_cast<const WAVEFORMATEX*>(format));
}
void Release(SoundBufferHandle* b) { Buffer(b)->Release(); }

int HasWaveResource(const char* name) {
    return FindResourceA(GetModuleHandleA(nullptr), name, "WAVE") != nullptr;
}
int ParseResource(const char* name, WaveInfo* info) {
    return ParseWaveResource(GetModuleHandleA(nullptr), name, info);
}

}  // namespace

SoundDeviceApi SoundDevice = {
    // From the system folder by full path: a dsound.dll beside the program must not be taken.
    LoadSystemModule, LookUpInModule, UnloadModule, Enumerate, CreateDevice, GetDeviceId,
    SetCooperativeLevel, CreateBuffer, ReleaseDevice, Restore, Lock, Unlock, Play, Stop,
    GetCurrentPosition, SetCurrentPosition, GetVolume, SetVolume, GetPan, SetPan, GetFrequency,
    SetFrequency, GetFormat, SetFormat, Release, HasWaveResource, ParseResource,
};
