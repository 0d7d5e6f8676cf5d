// The engine's bookkeeping: start and teardown, the sample slots, their buffer descriptions and
// the byte/millisecond conversions. Every platform call goes through SoundDevice.
#include "sound/engine.h"

#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "sound/engine_state.h"
#include "sound/mmfuncs.h"
#include "sound/supinfo.h"

SoundEngineState Engine = {};
int32_t EngineFailuresMuted = 0;

namespace {

constexpr int FailureTextBytes = 128;
constexpr uint32_t TimerCapsBytes = 8;
constexpr uint16_t PcmFormatTag = 1;
constexpr int32_t NoPan = INT32_MIN;
constexpr int32_t NoVolume = 1;

// The single-precision millisecond factor, used in extended precision as the engine always
// has: 0.0010000000474974513, so 10 ms at 44100 bytes a second is byte 441, not 440.
constexpr long double MillisecondFactor = static_cast<long double>(0.001f);

// A call's result, kept when it is the first to say the device is gone.
int32_t KeepIfDeviceGone(int32_t result) {
    if (Engine.goneResult == 0 && MeansDeviceGone(result)) Engine.goneResult = result;
    return result;
}

SampleSlot* SlotWithBuffer(uint32_t slot) {
    if (Engine.library == nullptr || slot >= Engine.slotCount) return nullptr;
    SampleSlot* s = &Engine.library[slot];
    return s->buffer != nullptr ? s : nullptr;
}

// A conversion result cut toward zero, kept inside the 32-bit range (and 0 for nonsense).
int32_t CutToInt32(long double value) {
    if (!(value == value)) return 0;
    if (value >= static_cast<long double>(INT32_MAX)) return INT32_MAX;
    if (value <= static_cast<long double>(INT32_MIN)) return INT32_MIN;
    return static_cast<int32_t>(value);
}

// Block alignment times the buffer's current frequency times 0.001; 0 when either is unknown.
long double BytesPerMs(uint32_t slot, const SampleSlot* s) {
    return static_cast<long double>(s->info.format.blockAlign) *
           static_cast<long double>(SoundEngine::GetFrequency(slot)) * MillisecondFactor;
}

int CreatePrimaryBuffer() {
    if (Engine.primaryBuffer != nullptr || Engine.device == nullptr) return 0;
    BufferDescription description = {DeviceCodes::BufferDescriptionBytes,
                                     DeviceCodes::PrimaryBufferFlags, 0, 0, nullptr};
    SoundBufferHandle* primary = nullptr;
    if (SoundDevice.createBuffer(Engine.device, &description, &primary) != 0 || primary == nullptr)
        return 0;
    Engine.primaryBuffer = primary;
    WaveFormat format = {};
    format.formatTag = PcmFormatTag;
    format.channels = static_cast<uint16_t>(Engine.channels);
    format.samplesPerSec = Engine.sampleRate;
    format.blockAlign = static_cast<uint16_t>(Engine.channels * Engine.bitsPerSample / 8);
    format.avgBytesPerSec = Engine.sampleRate * format.blockAlign;
    format.bitsPerSample = static_cast<uint16_t>(Engine.bitsPerSample);
    format.extraSize = 0;
    if (SoundDevice.setFormat(primary, &format) != 0) {
        SoundDevice.release(primary);
        Engine.primaryBuffer = nullptr;
        return 0;
    }
    SoundDevice.getFormat(primary, &Engine.primaryFormat);
    return 1;
}

// Copies the samples into the regions the device handed out, never past either region nor
// past the samples. Answers 0 when the device gave no region at all.
int FillNewBuffer(SoundBufferHandle* buffer, const WaveInfo& info) {
    SoundDevice.restore(buffer);
    LockedRegions r;
    if (!LockRegions(buffer, 0, info.dataSize, r)) return 0;
    uint32_t copied = 0;
    if (info.samples != nullptr) {
        copied = r.firstBytes < info.dataSize ? r.firstBytes : info.dataSize;
        std::memcpy(r.first, info.samples, copied);
        if (r.second != nullptr && copied < info.dataSize) {
            const uint32_t rest = info.dataSize - copied;
            std::memcpy(r.second, info.samples + copied,
                        rest < r.secondBytes ? rest : r.secondBytes);
        }
    }
    UnlockRegions(buffer, r);
    return 1;
}

int32_t InitSteps(WindowHandle window, uint32_t sampleRate, uint32_t bitsPerSample,
                  uint32_t channels, uint32_t slotCount) {
    SoundEngine::Shutdown();
    if (AcquireMultimedia() == 0) return ReportEngineFailure("GetFunction Failed (WINMM.DLL)");
    Engine.holdsMultimedia = 1;

    Engine.dsoundModule = SoundDevice.loadLibrary("dsound.dll");
    if (Engine.dsoundModule == nullptr) return ReportEngineFailure("LoadLibrary Failed (DSOUND.DLL)");
    void* enumerate = SoundDevice.lookup(Engine.dsoundModule, "DirectSoundEnumerateA");
    if (enumerate == nullptr)
        return ReportEngineFailure("GetProcAddress Failed (DSOUND.DLL - DirectSoundEnumerate)");
    // A failure other than a refused argument is worth another try, but not forever.
    int32_t answer = -1;
    for (int attempt = 0; attempt < EnumerateAttempts && answer != 0; ++attempt) {
        answer = SoundDevice.enumerate(enumerate, EnumDriverCallback, nullptr);
        if (answer == DeviceCodes::InvalidParam) break;
    }
    if (answer != 0) return ReportEngineFailure("Enumerate Driver Failed");

    void* create = SoundDevice.lookup(Engine.dsoundModule, "DirectSoundCreate");
    if (create == nullptr)
        return ReportEngineFailure("GetProcAddress Failed (DSOUND.DLL - DirectSoundCreate)");
    // Optional: only DirectX 8.1 and later tell which output is the default. Read before the
    // device opens, so a default that changes in between shows as a change afterwards.
    Engine.getDeviceIdFunction = SoundDevice.lookup(Engine.dsoundModule, "GetDeviceID");
    Engine.openedOnKnown = SoundEngine::DefaultOutputId(&Engine.openedOn) == 0;
    SoundDeviceHandle* device = nullptr;
    if (SoundDevice.createDevice(create, &Engine.driverList.identifiers[0], &device) != 0 ||
        device == nullptr)
        return ReportEngineFailure("DirectSoundCreate Failed");
    Engine.device = device;
    if (SoundDevice.setCooperativeLevel(device, window, DeviceCodes::PriorityLevel) != 0)
        return ReportEngineFailure("Set CooperativeLevel Failed");

    Engine.sampleRate = sampleRate;
    Engine.bitsPerSample = bitsPerSample;
    Engine.channels = channels;
    if (!CreatePrimaryBuffer()) return ReportEngineFailure("Create PrimaryBuffer Failed");

    Engine.library = static_cast<SampleSlot*>(std::calloc(slotCount ? slotCount : 1, sizeof(SampleSlot)));
    if (Engine.library == nullptr) return ReportEngineFailure("Get SampleLibraryMemory Failed");

    // The resolution the stream's refill timer asks for. Nothing is raised here: a raised
    // resolution keeps the processor out of its power-saving states (before Windows 10 2004,
    // every process's timers with it), so only a stream that plays holds it.
    TimerCaps caps = {};
    if (MultimediaFunctions.timeGetDevCaps(&caps, TimerCapsBytes) != 0)
        return ReportEngineFailure("Get TIMECAPS Failed");
    Engine.timerCaps = caps;
    Engine.slotCount = slotCount;
    return 1;
}

}  // namespace

uint32_t SecondaryFlags() {
    return DeviceCodes::SecondaryBufferFlags |
           (Engine.globalFocus != 0 ? DeviceCodes::GlobalFocusFlag : 0u);
}

int EnumDriverCallback(const DeviceId* id, const char* description, const char*, void*) {
    DriverList& list = Engine.driverList;
    if (list.count >= DriverListCapacity) return 0;
    if (id != nullptr) list.identifiers[list.count] = *id;
    if (description != nullptr) {
        std::strncpy(list.descriptions[list.count], description, DriverDescriptionBytes - 1);
        list.descriptions[list.count][DriverDescriptionBytes - 1] = '\0';
    }
    ++list.count;
    return 1;
}

int ReportEngineFailure(const char* format, ...) {
    char text[FailureTextBytes];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text - 1, format, args);   // 126 characters at most, and the line end
    va_end(args);
    SoundEngine::Shutdown();
    NoteEngineFailure(text);
    return 0;
}

bool LockRegions(SoundBufferHandle* buffer, uint32_t offset, uint32_t bytes, LockedRegions& r) {
    r = LockedRegions{};
    return SoundDevice.lock(buffer, offset, bytes, &r.first, &r.firstBytes, &r.second,
                            &r.secondBytes) == 0 &&
           r.first != nullptr;
}

void UnlockRegions(SoundBufferHandle* buffer, const LockedRegions& r) {
    SoundDevice.unlock(buffer, r.first, r.firstBytes, r.second, r.secondBytes);
}

void NoteEngineFailure(const char* text) {
    if (!EngineFailuresMuted) WriteSupportInfo("%s\n", text);
}

namespace SoundEngine {

int32_t GetVersion() { return InterfaceVersion; }

int32_t Init(WindowHandle window, uint32_t sampleRate, uint32_t bitsPerSample, uint32_t channels,
             uint32_t slotCount) {
    return InitSteps(window, sampleRate, bitsPerSample, channels, slotCount);
}

void Shutdown() {
    CloseStream();   // lowers the timer resolution a playing stream raised
    Engine.timerCaps = TimerCaps{0, 0};
    FreeAllSamples();
    std::free(Engine.library);
    Engine.library = nullptr;
    Engine.slotCount = 0;
    Engine.globalFocus = 0;
    if (Engine.primaryBuffer != nullptr) {
        SoundDevice.release(Engine.primaryBuffer);
        Engine.primaryBuffer = nullptr;
    }
    if (Engine.device != nullptr) {
        SoundDevice.releaseDevice(Engine.device);
        Engine.device = nullptr;
    }
    if (Engine.dsoundModule != nullptr) {
        SoundDevice.unloadLibrary(Engine.dsoundModule);
        Engine.dsoundModule = nullptr;
    }
    Engine.getDeviceIdFunction = nullptr;
    Engine.openedOnKnown = 0;
    Engine.goneResult = 0;
    if (Engine.holdsMultimedia) {
        Engine.holdsMultimedia = 0;
        ReleaseMultimedia();
    }
}

int32_t LoadSample(uint32_t slot, const char* name) {
    if (Engine.library == nullptr || slot >= Engine.slotCount) return 0;
    SampleSlot& target = Engine.library[slot];
    if (target.buffer != nullptr || name == nullptr) return 0;

    WaveInfo info = {};
    if (SoundDevice.hasWaveResource(name)) {
        if (!SoundDevice.parseWaveResource(name, &info)) return 0;
    } else if (IsIntegerResource(name)) {
        return 0;   // an id with no resource behind it names no file either
    } else if (!LoadWaveFile(name, &info)) {
        return 0;
    }
    if (info.dataSize == 0) {
        ReleaseWaveInfo(&info);
        return 0;
    }
    BufferDescription description = {DeviceCodes::BufferDescriptionBytes, SecondaryFlags(),
                                     info.dataSize, 0, &info.format};
    SoundBufferHandle* buffer = nullptr;
    if (SoundDevice.createBuffer(Engine.device, &description, &buffer) != 0 || buffer == nullptr) {
        ReleaseWaveInfo(&info);
        return 0;
    }
    // A buffer the device would not lock holds no sound; it is not kept as if it did.
    if (!FillNewBuffer(buffer, info)) {
        SoundDevice.release(buffer);
        ReleaseWaveInfo(&info);
        return 0;
    }
    const bool fromResource = info.borrowed != 0;
    target.info = info;
    ReleaseWaveInfo(&info);
    target.info.samples = nullptr;   // stale once copied; never followed
    target.buffer = buffer;
    if (fromResource) return 1;
    size_t length = std::strlen(name) + 1;
    target.fileName = static_cast<char*>(std::malloc(length));
    if (target.fileName == nullptr) {
        FreeSample(slot);
        return 0;
    }
    std::memcpy(target.fileName, name, length);
    return 1;
}

void FreeSample(uint32_t slot) {
    SampleSlot* s = SlotWithBuffer(slot);
    if (s == nullptr) return;
    RewindSample(slot);
    std::free(s->fileName);
    s->fileName = nullptr;
    SoundDevice.release(s->buffer);
    s->buffer = nullptr;
}

void FreeAllSamples() {
    if (Engine.library == nullptr) return;
    for (uint32_t slot = 0; slot < Engine.slotCount; ++slot) FreeSample(slot);
}

int32_t PlaySample(uint32_t slot, int32_t loop) {
    SampleSlot* s = SlotWithBuffer(slot);
    if (s == nullptr) return 0;
    KeepIfDeviceGone(SoundDevice.play(s->buffer, loop != 0 ? DeviceCodes::PlayLooping : 0u));
    return 1;
}

int32_t StopSample(uint32_t slot) {
    SampleSlot* s = SlotWithBuffer(slot);
    if (s == nullptr) return 0;
    KeepIfDeviceGone(SoundDevice.stop(s->buffer));
    return 1;
}

int32_t RewindSample(uint32_t slot) {
    SampleSlot* s = SlotWithBuffer(slot);
    if (s == nullptr) return 0;
    KeepIfDeviceGone(SoundDevice.stop(s->buffer));
    KeepIfDeviceGone(SoundDevice.setCurrentPosition(s->buffer, 0));
    return 1;
}

int32_t GetPan(uint32_t slot) {
    SampleSlot* s = SlotWithBuffer(slot);
    int32_t pan = NoPan;
    if (s == nullptr || SoundDevice.getPan(s->buffer, &pan) != 0) return NoPan;
    return pan;
}

int32_t SetPan(uint32_t slot, int32_t pan) {
    SampleSlot* s = SlotWithBuffer(slot);
    if (s == nullptr) return 0;
    KeepIfDeviceGone(SoundDevice.setPan(s->buffer, pan));
    return 1;
}

uint32_t GetFrequency(uint32_t slot) {
    SampleSlot* s = SlotWithBuffer(slot);
    uint32_t frequency = 0;
    if (s == nullptr || SoundDevice.getFrequency(s->buffer, &frequency) != 0) return 0;
    return frequency;
}

int32_t SetFrequency(uint32_t slot, uint32_t frequency) {
    SampleSlot* s = SlotWithBuffer(slot);
    if (s == nullptr) return 0;
    SoundDevice.setFrequency(s->buffer, frequency);
    return 1;
}

int32_t GetVolume(uint32_t slot) {
    SampleSlot* s = SlotWithBuffer(slot);
    int32_t volume = NoVolume;
    if (s == nullptr || SoundDevice.getVolume(s->buffer, &volume) != 0) return NoVolume;
    return volume;
}

int32_t SetVolume(uint32_t slot, int32_t volume) {
    SampleSlot* s = SlotWithBuffer(slot);
    if (s == nullptr) return 0;
    KeepIfDeviceGone(SoundDevice.setVolume(s->buffer, volume));
    return 1;
}

int32_t GetMasterVolume() {
    int32_t volume = NoVolume;
    if (Engine.primaryBuffer == nullptr || SoundDevice.getVolume(Engine.primaryBuffer, &volume) != 0)
        return NoVolume;
    return volume;
}

int32_t SetMasterVolume(int32_t volume) {
    if (Engine.primaryBuffer == nullptr) return 0;
    SoundDevice.setVolume(Engine.primaryBuffer, volume);
    return 1;
}

int32_t GetPositionMs(uint32_t slot) {
    SampleSlot* s = SlotWithBuffer(slot);
    if (s == nullptr) return 0;
    long double perMs = BytesPerMs(slot, s);
    uint32_t cursor = 0;
    if (perMs <= 0 || SoundDevice.getCurrentPosition(s->buffer, &cursor) != 0) return 0;
    return CutToInt32(static_cast<long double>(cursor) / perMs);
}

int32_t SetPositionMs(uint32_t slot, int32_t ms) {
    SampleSlot* s = SlotWithBuffer(slot);
    if (s == nullptr) return 0;
    long double position = BytesPerMs(slot, s) * static_cast<long double>(ms);
    // Before the start or past any 32-bit offset: no byte the device could accept.
    if (position < 0 || position > static_cast<long double>(UINT32_MAX)) return 0;
    return SoundDevice.setCurrentPosition(s->buffer, static_cast<uint32_t>(position)) == 0 ? 1 : 0;
}

int32_t GetLengthMs(uint32_t slot) {
    SampleSlot* s = SlotWithBuffer(slot);
    if (s == nullptr) return 0;
    long double perMs = BytesPerMs(slot, s);
    if (perMs <= 0) return 0;
    return CutToInt32(static_cast<long double>(s->info.dataSize) / perMs);
}

int32_t SetGlobalFocus(int32_t flag) {
    if (Engine.device == nullptr) return 0;
    FreeAllSamples();
    CloseStream();
    Engine.globalFocus = flag;
    return 1;
}

int32_t DefaultOutputId(DeviceId* id) {
    if (Engine.getDeviceIdFunction == nullptr) return DeviceCodes::Unsupported;
    return SoundDevice.getDeviceId(Engine.getDeviceIdFunction, &DefaultPlaybackAlias, id);
}

int32_t DeviceGoneResult() {
    // One cheap call on the primary buffer, which stands for the device: a device that went
    // while nothing played is noticed too, where DirectSound says so there.
    uint32_t cursor = 0;
    if (Engine.primaryBuffer != nullptr)
        KeepIfDeviceGone(SoundDevice.getCurrentPosition(Engine.primaryBuffer, &cursor));
    return Engine.goneResult;
}

}  // namespace SoundEngine

const SoundEngineTable SoundEngineEntries = {
    SoundEngine::GetVersion,     SoundEngine::Init,          SoundEngine::Shutdown,
    SoundEngine::LoadSample,     SoundEngine::FreeSample,    SoundEngine::FreeAllSamples,
    SoundEngine::OpenStream,     SoundEngine::CloseStream,   SoundEngine::PlaySample,
    SoundEngine::StopSample,     SoundEngine::RewindSample,  SoundEngine::PlayStream,
    SoundEngine::PauseStream,    SoundEngine::StopStream,    SoundEngine::GetPan,
    SoundEngine::SetPan,         SoundEngine::GetFrequency,  SoundEngine::SetFrequency,
    SoundEngine::GetVolume,      SoundEngine::SetVolume,     SoundEngine::GetMasterVolume,
    SoundEngine::SetMasterVolume, SoundEngine::GetPositionMs, SoundEngine::SetPositionMs,
    SoundEngine::GetLengthMs,    SoundEngine::SetGlobalFocus, WriteSupportInfo,
};
