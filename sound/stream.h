// The engine's one file stream: a WAVE file played through a device buffer of two halves that
// a periodic multimedia timer refills from the file. The operations are in sound/engine.h.
#pragma once
#include <cstdint>
#include "sound/mmfuncs.h"

// The stream lock: held by every refill and by every operation that changes the stream, so that
// once a stopping operation (PauseStream, StopStream, CloseStream) has returned no refill
// running on the timer thread touches the file or the buffer. On Windows it is a critical
// section (sound/stream_lock_win32.cpp): the C++ library's mutex would link a POSIX threads
// layer and the exception machinery into the program. Elsewhere a std::mutex
// (sound/stream_lock.cpp). Never taken twice by one thread: only the critical section would
// allow it.
void LockStream();
void UnlockStream();

// Holds the stream lock for its own lifetime.
class StreamLockHold {
public:
    StreamLockHold() { LockStream(); }
    ~StreamLockHold() { UnlockStream(); }
    StreamLockHold(const StreamLockHold&) = delete;
    StreamLockHold& operator=(const StreamLockHold&) = delete;
};

constexpr uint32_t StreamRefillMs = 10;
constexpr uint32_t StreamMinimumMs = 50;
constexpr uint32_t TimerPeriodic = 1;   // TIME_PERIODIC

// The multimedia timer's callback: one refill, unless the stream has been stopped meanwhile.
void TS_WINAPI StreamTimerProc(uint32_t id, uint32_t message, uintptr_t user, uintptr_t unused1,
                               uintptr_t unused2);

// The byte that sounds as silence in samples of this width: 128 for 8 bits, 0 for 16.
uint8_t SilenceByte(uint16_t bitsPerSample);
