// The file stream: opening, the play/pause/stop state and the half-by-half refill. Portable;
// the device and the timer are reached through SoundDevice and MultimediaFunctions.
#include "sound/stream.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "sound/engine.h"
#include "sound/engine_state.h"
#include "sound/supinfo.h"
#include "sound/wave.h"

namespace {

constexpr long double MillisecondFactor = static_cast<long double>(0.001f);

// The refills come every 10 ms, finer than a clock tick at the system's default resolution, so
// a playing stream raises the resolution, and only while it plays: held any longer, it keeps
// the processor out of its power-saving states for nothing. The caller holds the stream lock.
bool RaiseTimerResolution(SoundStream& s) {
    if (s.periodRaised) return true;
    if (MultimediaFunctions.timeBeginPeriod(Engine.timerCaps.periodMin) != 0) return false;
    s.periodRaised = 1;
    return true;
}

void LowerTimerResolution(SoundStream& s) {
    if (!s.periodRaised) return;
    s.periodRaised = 0;
    MultimediaFunctions.timeEndPeriod(Engine.timerCaps.periodMin);
}

// Clears the refill flag and the timer id under the lock and stops the buffer, so that a refill
// that starts later does nothing and one in progress has finished; then kills the timer outside
// the lock, in case the platform waits there for a callback that waits for the lock.
void StopRefillsAndBuffer() {
    uint32_t timer = 0;
    {
        StreamLockHold hold;
        SoundStream& s = Engine.stream;
        s.refilling = 0;
        timer = s.timerId;
        s.timerId = 0;
        if (s.buffer != nullptr) SoundDevice.stop(s.buffer);
        LowerTimerResolution(s);
    }
    if (timer != 0) MultimediaFunctions.timeKillEvent(timer);
}

// Reads the next part of the data into one region; at the end of the data the file goes back to
// its start and either the rest is read from there (looping) or filled with silence. Answers 1
// when a non-looping stream has run out.
int FillFromFile(uint8_t* region, uint32_t length) {
    SoundStream& s = Engine.stream;
    uint8_t silence = SilenceByte(s.info.format.bitsPerSample);
    long position = std::ftell(s.file);
    uint32_t wanted = length;
    if (position < 0 || static_cast<uint32_t>(position) >= s.dataEnd) {
        wanted = 0;
    } else if (static_cast<uint32_t>(position) + static_cast<uint64_t>(length) > s.dataEnd) {
        wanted = s.dataEnd - static_cast<uint32_t>(position);
    }
    size_t got = wanted != 0 ? std::fread(region, 1, wanted, s.file) : 0;
    if (got >= length) return 0;
    std::fseek(s.file, static_cast<long>(s.info.dataOffset), SEEK_SET);
    if (s.looping) {
        got += std::fread(region + got, 1, length - got, s.file);
        // Only a file cut short since it was opened gets here short; pad, never leave old data.
        if (got < length) std::memset(region + got, silence, length - got);
        return 0;
    }
    std::memset(region + got, silence, length - got);
    return 1;
}

}  // namespace

uint8_t SilenceByte(uint16_t bitsPerSample) {
    return static_cast<uint8_t>((bitsPerSample & 0xFFu) % 16u * 16u);
}

void RefillStream() {
    SoundStream& s = Engine.stream;
    if (s.file == nullptr || s.buffer == nullptr) return;
    SoundDevice.restore(s.buffer);
    uint32_t cursor = 0;
    if (SoundDevice.getCurrentPosition(s.buffer, &cursor) != 0) return;
    const uint32_t half = s.bufferBytes / 2;
    uint32_t offset = 0;
    if (cursor < half) {
        if (s.secondHalfFilled == 1) return;
        offset = half;
    } else {
        if (s.secondHalfFilled == 0) return;
        offset = 0;
    }
    LockedRegions r;
    // No region from the device: nothing is written and the half stays due for the next tick.
    if (!LockRegions(s.buffer, offset, half, r)) return;
    if (r.firstBytes > half) r.firstBytes = half;
    if (r.second == nullptr || r.firstBytes + static_cast<uint64_t>(r.secondBytes) > half)
        r.secondBytes = r.second == nullptr ? 0 : half - r.firstBytes;
    s.secondHalfFilled = offset == half ? 1 : 0;

    if (s.ended) {
        uint8_t silence = SilenceByte(s.info.format.bitsPerSample);
        std::memset(r.first, silence, r.firstBytes);
        if (r.secondBytes != 0) std::memset(r.second, silence, r.secondBytes);
        UnlockRegions(s.buffer, r);
        // Let the buffer play on to its end once and stop there.
        SoundDevice.play(s.buffer, 0);
        s.ended = 0;
        s.refilling = 0;
        uint32_t timer = s.timerId;
        s.timerId = 0;
        if (timer != 0) MultimediaFunctions.timeKillEvent(timer);
        LowerTimerResolution(s);
        return;
    }
    int ranOut = FillFromFile(static_cast<uint8_t*>(r.first), r.firstBytes);
    if (r.secondBytes != 0) {
        if (ranOut)
            std::memset(r.second, SilenceByte(s.info.format.bitsPerSample), r.secondBytes);
        else
            ranOut = FillFromFile(static_cast<uint8_t*>(r.second), r.secondBytes);
    }
    UnlockRegions(s.buffer, r);
    if (ranOut) s.ended = 1;
}

void TS_WINAPI StreamTimerProc(uint32_t, uint32_t, uintptr_t, uintptr_t, uintptr_t) {
    StreamLockHold hold;
    if (!Engine.stream.refilling) return;
    RefillStream();
}

namespace SoundEngine {

int32_t OpenStream(const char* fileName, uint32_t bufferMs) {
    SoundStream& s = Engine.stream;
    if (s.file != nullptr || Engine.device == nullptr || bufferMs < StreamMinimumMs ||
        fileName == nullptr)
        return 0;
    WaveInfo info = {};
    if (!ParseWaveFile(fileName, &info)) return 0;
    long double bytes = static_cast<long double>(info.format.samplesPerSec) *
                        static_cast<long double>(info.format.blockAlign) * MillisecondFactor *
                        static_cast<long double>(bufferMs);
    if (bytes >= static_cast<long double>(UINT32_MAX)) return 0;
    const uint32_t bufferBytes = static_cast<uint32_t>(bytes);
    // The data must fill the double buffer at least once over.
    if (info.dataSize < 2ull * bufferBytes || bufferBytes == 0) return 0;
    BufferDescription description = {DeviceCodes::BufferDescriptionBytes, SecondaryFlags(),
                                     bufferBytes, 0, &info.format};
    SoundBufferHandle* buffer = nullptr;
    if (SoundDevice.createBuffer(Engine.device, &description, &buffer) != 0 || buffer == nullptr)
        return 0;
    std::FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr) {
        SoundDevice.release(buffer);
        return 0;
    }
    std::fseek(file, static_cast<long>(info.dataOffset), SEEK_SET);
    StreamLockHold hold;
    s = SoundStream{};
    s.buffer = buffer;
    s.info = info;
    s.file = file;
    s.bufferBytes = bufferBytes;
    // A declared length running past any 32-bit offset ends with the file instead of wrapping
    // round to an end before the start.
    const uint64_t end = static_cast<uint64_t>(info.dataOffset) + info.dataSize;
    s.dataEnd = end > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(end);
    return 1;
}

void CloseStream() {
    if (Engine.stream.file == nullptr) return;
    StopStream();
    StreamLockHold hold;
    SoundStream& s = Engine.stream;
    if (s.buffer != nullptr) SoundDevice.release(s.buffer);
    std::fclose(s.file);
    s = SoundStream{};
}

int32_t PlayStream(int32_t loop) {
    SoundStream& s = Engine.stream;
    StreamLockHold hold;
    if (s.file == nullptr) return 0;
    s.looping = loop;
    if (s.timerId != 0) return 1;
    // Refused before anything is primed, so that a later try starts from the same place.
    if (!RaiseTimerResolution(s)) {
        NoteEngineFailure("Set TimerResolution Failed");
        return 0;
    }
    uint32_t cursor = 0;
    SoundDevice.getCurrentPosition(s.buffer, &cursor);
    if (cursor == 0) {
        // Prime the first half: from the second half's point of view the first is due.
        s.secondHalfFilled = 1;
        SoundDevice.setCurrentPosition(s.buffer, s.bufferBytes / 2);
        RefillStream();
        SoundDevice.setCurrentPosition(s.buffer, 0);
    }
    s.refilling = 1;
    // Still under the lock: a first tick waits for it, so it sees the id recorded.
    uint32_t timer = MultimediaFunctions.timeSetEvent(StreamRefillMs, Engine.timerCaps.periodMin,
                                                      StreamTimerProc, 0, TimerPeriodic);
    if (timer == 0) {
        // Without refills the buffer would loop its first half forever: do not start.
        s.refilling = 0;
        LowerTimerResolution(s);
        return 0;
    }
    s.timerId = timer;
    SoundDevice.play(s.buffer, DeviceCodes::PlayLooping);
    return 1;
}

int32_t PauseStream() {
    if (Engine.stream.file == nullptr) return 0;
    StopRefillsAndBuffer();
    return 1;
}

int32_t StopStream() {
    if (Engine.stream.file == nullptr) return 0;
    StopRefillsAndBuffer();
    StreamLockHold hold;
    SoundStream& s = Engine.stream;
    std::fseek(s.file, static_cast<long>(s.info.dataOffset), SEEK_SET);
    // Back at the start of the data, nothing has run out any more.
    s.ended = 0;
    return 1;
}

}  // namespace SoundEngine
