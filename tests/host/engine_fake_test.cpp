// The fake sound device and multimedia library behind the engine's host tests.
#include "tests/host/engine_fake_test.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <new>
#include <sstream>

#include "sound/engine.h"
#include "sound/engine_state.h"
#include "sound/supinfo.h"

FakeSoundState Fake;

namespace {

int DsoundModule;
int EnumerateFunction;
int CreateFunction;
int GetDeviceIdFunction;
int WinmmModule;

FakeBuffer* Of(SoundBufferHandle* b) { return reinterpret_cast<FakeBuffer*>(b); }

void* Load(const char* name) {
    if (Fake.failLoad || std::strcmp(name, "dsound.dll") != 0) return nullptr;
    ++Fake.libraryLoads;
    return &DsoundModule;
}
void* Lookup(void* module, const char* name) {
    if (module != &DsoundModule) return nullptr;
    if (std::strcmp(name, "DirectSoundEnumerateA") == 0)
        return Fake.failLookupEnumerate ? nullptr : &EnumerateFunction;
    if (std::strcmp(name, "DirectSoundCreate") == 0)
        return Fake.failLookupCreate ? nullptr : &CreateFunction;
    if (std::strcmp(name, "GetDeviceID") == 0)
        return Fake.hasGetDeviceId ? &GetDeviceIdFunction : nullptr;
    return nullptr;
}
void Unload(void*) { ++Fake.libraryUnloads; }

int32_t Enumerate(void* function, DeviceEnumCallback callback, void* context) {
    if (function != &EnumerateFunction) return -1;
    size_t call = static_cast<size_t>(Fake.enumerateCalls++);
    int32_t answer = call < Fake.enumerateAnswers.size() ? Fake.enumerateAnswers[call] : 0;
    if (answer != 0) return answer;
    for (const auto& d : Fake.devices) {
        DeviceId id = {};
        std::memset(id.bytes, d.idByte, sizeof id.bytes);
        if (!callback(d.hasId ? &id : nullptr, d.description.c_str(), "fake.drv", context)) break;
    }
    return 0;
}

int32_t CreateDevice(void* function, const DeviceId* id, SoundDeviceHandle** device) {
    ++Fake.createCalls;
    if (function != &CreateFunction || Fake.failCreateDevice) return -2;
    Fake.createdWith = *id;
    Fake.deviceOpen = true;
    *device = reinterpret_cast<SoundDeviceHandle*>(&Fake);
    return 0;
}
int32_t GetDeviceId(void* function, const DeviceId* alias, DeviceId* id) {
    if (function != &GetDeviceIdFunction ||
        std::memcmp(alias, &DefaultPlaybackAlias, sizeof *alias) != 0)
        return DeviceCodes::InvalidParam;
    ++Fake.getDeviceIdCalls;
    if (Fake.getDeviceIdAnswer != 0) return Fake.getDeviceIdAnswer;
    std::memset(id->bytes, Fake.defaultIdByte, sizeof id->bytes);
    return 0;
}
int32_t Cooperative(SoundDeviceHandle*, WindowHandle window, uint32_t level) {
    Fake.cooperativeWindow = window;
    Fake.cooperativeLevel = level;
    return Fake.failCooperative ? -3 : 0;
}
int32_t CreateBuffer(SoundDeviceHandle*, const BufferDescription* d, SoundBufferHandle** out) {
    bool primary = (d->flags & 1u) != 0;
    if ((primary && Fake.failPrimary) || (!primary && Fake.failCreateBuffer)) return -4;
    auto buffer = std::make_unique<FakeBuffer>();
    buffer->primary = primary;
    buffer->flags = d->flags;
    buffer->bytes.assign(d->bufferBytes, 0xEE);
    if (d->format != nullptr) {
        buffer->format = *d->format;
        buffer->frequency = d->format->samplesPerSec;
    }
    *out = reinterpret_cast<SoundBufferHandle*>(buffer.get());
    Fake.buffers.push_back(std::move(buffer));
    return 0;
}
void ReleaseDevice(SoundDeviceHandle*) { Fake.deviceOpen = false; }

int32_t Restore(SoundBufferHandle*) { return 0; }
int32_t Lock(SoundBufferHandle* b, uint32_t offset, uint32_t bytes, void** first,
             uint32_t* firstBytes, void** second, uint32_t* secondBytes) {
    FakeBuffer* f = Of(b);
    ++f->locks;
    if (Fake.failLock || offset + static_cast<uint64_t>(bytes) > f->bytes.size()) return -5;
    *first = f->bytes.data() + offset;
    *firstBytes = bytes;
    *second = nullptr;
    *secondBytes = 0;
    return 0;
}
int32_t Unlock(SoundBufferHandle*, void*, uint32_t, void*, uint32_t) { return 0; }
int32_t Play(SoundBufferHandle* b, uint32_t flags) {
    if (Fake.bufferAnswer != 0) return Fake.bufferAnswer;
    Of(b)->playing = true;
    Of(b)->playFlags = flags;
    ++Of(b)->plays;
    return 0;
}
int32_t Stop(SoundBufferHandle* b) {
    if (Fake.bufferAnswer != 0) return Fake.bufferAnswer;
    Of(b)->playing = false;
    ++Of(b)->stops;
    return 0;
}
int32_t GetPosition(SoundBufferHandle* b, uint32_t* p) {
    if (Fake.bufferAnswer != 0) return Fake.bufferAnswer;
    *p = Of(b)->position;
    return 0;
}
int32_t SetPosition(SoundBufferHandle* b, uint32_t p) {
    if (Fake.bufferAnswer != 0) return Fake.bufferAnswer;
    if (p >= Of(b)->bytes.size() && p != 0) return -6;
    Of(b)->position = p;
    return 0;
}
int32_t GetVolume(SoundBufferHandle* b, int32_t* v) {
    *v = Of(b)->volume;
    return 0;
}
int32_t SetVolume(SoundBufferHandle* b, int32_t v) {
    if (Fake.bufferAnswer != 0) return Fake.bufferAnswer;
    Of(b)->volume = v;
    Of(b)->volumesSent.push_back(v);
    return 0;
}
int32_t GetPan(SoundBufferHandle* b, int32_t* p) {
    *p = Of(b)->pan;
    return 0;
}
int32_t SetPan(SoundBufferHandle* b, int32_t p) {
    if (Fake.bufferAnswer != 0) return Fake.bufferAnswer;
    Of(b)->pan = p;
    Of(b)->pansSent.push_back(p);
    return 0;
}
int32_t GetFrequency(SoundBufferHandle* b, uint32_t* f) {
    *f = Of(b)->frequency;
    return 0;
}
int32_t SetFrequency(SoundBufferHandle* b, uint32_t f) {
    Of(b)->frequency = f;
    return 0;
}
int32_t GetFormat(SoundBufferHandle* b, WaveFormat* f) {
    *f = Of(b)->format;
    return 0;
}
int32_t SetFormat(SoundBufferHandle* b, const WaveFormat* f) {
    if (Fake.failSetFormat) return -7;
    Of(b)->format = *f;
    return 0;
}
void Release(SoundBufferHandle* b) { Of(b)->released = true; }

int HasResource(const char* name) {
    return IsIntegerResource(name) &&
           Fake.resources.count(reinterpret_cast<uintptr_t>(name)) != 0;
}
int ParseResource(const char* name, WaveInfo* info) {
    auto found = Fake.resources.find(reinterpret_cast<uintptr_t>(name));
    if (found == Fake.resources.end()) return 0;
    *info = WaveInfo{};
    info->format = found->second.format;
    info->dataOffset = 44;
    info->dataSize = static_cast<uint32_t>(found->second.samples.size());
    info->borrowed = 1;
    info->samples = found->second.samples.data();
    return 1;
}

// The multimedia library: nine names, the timer functions recording what they are asked.
uint32_t TS_WINAPI GetTime() { return 0; }
uint32_t TS_WINAPI BeginPeriod(uint32_t period) {
    if (Fake.failBeginPeriod) return 97;
    Fake.periodsBegun.push_back(period);
    return 0;
}
uint32_t TS_WINAPI EndPeriod(uint32_t period) {
    Fake.periodsEnded.push_back(period);
    return 0;
}
uint32_t TS_WINAPI DevCaps(TimerCaps* caps, uint32_t size) {
    if (Fake.failDevCaps || size != 8) return 97;
    caps->periodMin = 1;
    caps->periodMax = 1000000;
    return 0;
}
uint32_t TS_WINAPI SetEvent(uint32_t delay, uint32_t resolution, TimerCallback callback,
                            uintptr_t, uint32_t flags) {
    if (Fake.failSetEvent) return 0;
    Fake.timerCallback = callback;
    Fake.timerDelay = delay;
    Fake.timerResolution = resolution;
    Fake.timerFlags = flags;
    Fake.liveTimer = Fake.nextTimerId++;
    return Fake.liveTimer;
}
uint32_t TS_WINAPI KillEvent(uint32_t id) {
    Fake.timersKilled.push_back(id);
    if (id == Fake.liveTimer) Fake.liveTimer = 0;
    return 0;
}
void Joystick() {}

void* LoadWinmm(const char*) {
    if (Fake.failMultimediaLoad) return nullptr;
    Fake.multimediaLoaded = true;
    return &WinmmModule;
}
void* LookupWinmm(void*, const char* name) {
    const std::map<std::string, void*> table = {
        {"timeGetTime", reinterpret_cast<void*>(GetTime)},
        {"timeBeginPeriod", reinterpret_cast<void*>(BeginPeriod)},
        {"timeEndPeriod", reinterpret_cast<void*>(EndPeriod)},
        {"timeGetDevCaps", reinterpret_cast<void*>(DevCaps)},
        {"timeSetEvent", reinterpret_cast<void*>(SetEvent)},
        {"timeKillEvent", reinterpret_cast<void*>(KillEvent)},
        {"joyGetNumDevs", reinterpret_cast<void*>(Joystick)},
        {"joyGetPos", reinterpret_cast<void*>(Joystick)},
        {"joyGetPosEx", reinterpret_cast<void*>(Joystick)},
    };
    auto found = table.find(name);
    return found == table.end() ? nullptr : found->second;
}
void UnloadWinmm(void*) { Fake.multimediaLoaded = false; }

}  // namespace

SoundDeviceApi SoundDevice = {
    Load, Lookup, Unload, Enumerate, CreateDevice, GetDeviceId, Cooperative, CreateBuffer,
    ReleaseDevice, Restore, Lock, Unlock, Play, Stop, GetPosition, SetPosition, GetVolume,
    SetVolume, GetPan, SetPan, GetFrequency, SetFrequency, GetFormat, SetFormat, Release,
    HasResource, ParseResource,
};

void ResetFakeSound() {
    MultimediaLoader = {LoadWinmm, LookupWinmm, UnloadWinmm};
    SoundEngine::Shutdown();
    Fake.~FakeSoundState();
    new (&Fake) FakeSoundState();
    ResetSupportLog();
}

FakeBuffer* LastSecondary() {
    for (auto it = Fake.buffers.rbegin(); it != Fake.buffers.rend(); ++it)
        if (!(*it)->primary && !(*it)->released) return it->get();
    return nullptr;
}

FakeBuffer* AsFake(SoundBufferHandle* buffer) { return Of(buffer); }

void AddFakeResource(uint32_t id, uint32_t dataBytes) {
    FakeWaveResource r;
    r.format = WaveFormat{1, 1, 22050, 44100, 2, 16, 0};
    r.samples.resize(dataBytes);
    for (uint32_t i = 0; i < dataBytes; ++i) r.samples[i] = static_cast<uint8_t>(i * 7 + 1);
    Fake.resources[id] = std::move(r);
}

void FireStreamTimer() {
    if (Fake.timerCallback != nullptr) Fake.timerCallback(Fake.liveTimer, 0, 0, 0, 0);
}

void FakeSoundTest::SetUp() {
    char here[4096];
    previousDirectory_ = getcwd(here, sizeof here) ? here : ".";
    char pattern[] = "/tmp/tsutsuri-engine-XXXXXX";
    directory_ = mkdtemp(pattern);
    ASSERT_EQ(chdir(directory_.c_str()), 0);
    savedLoader_ = MultimediaLoader;
    ResetFakeSound();
    Engine.driverList = DriverList{};
}

void FakeSoundTest::TearDown() {
    SoundEngine::Shutdown();
    MultimediaLoader = savedLoader_;
    std::remove((directory_ + "/supinfo.txt").c_str());
    EXPECT_EQ(chdir(previousDirectory_.c_str()), 0);
    rmdir(directory_.c_str());
}

int32_t FakeSoundTest::StartEngine(uint32_t slots) {
    return SoundEngine::Init(reinterpret_cast<WindowHandle>(0x1234), 22050, 16, 1, slots);
}

std::string FakeSoundTest::SupportText() const {
    std::ifstream in("supinfo.txt", std::ios::binary);
    if (!in) return "<none>";
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteWave(const char* path, const std::vector<uint8_t>& samples, uint16_t bits) {
    auto u32 = [](std::FILE* f, uint32_t v) {
        uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        std::fwrite(b, 1, 4, f);
    };
    auto u16 = [](std::FILE* f, uint16_t v) {
        uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
        std::fwrite(b, 1, 2, f);
    };
    std::FILE* f = std::fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    const uint16_t align = bits / 8;
    std::fwrite("RIFF", 1, 4, f);
    u32(f, 36 + static_cast<uint32_t>(samples.size()));
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(f, 16);
    u16(f, 1);
    u16(f, 1);
    u32(f, 22050);
    u32(f, 22050u * align);
    u16(f, align);
    u16(f, bits);
    std::fwrite("data", 1, 4, f);
    u32(f, static_cast<uint32_t>(samples.size()));
    std::fwrite(samples.data(), 1, samples.size(), f);
    std::fclose(f);
}

