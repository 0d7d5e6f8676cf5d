// The engine's one file stream: a WAVE file played through a device buffer of two halves that
// a periodic multimedia timer refills from the file. The operations are in sound/engine.h.
#pragma once
#include <cstdint>
#include <mutex>
#include "sound/mmfuncs.h"

// Held by every refill and by every operation that changes the stream, so that once a stopping
// operation (PauseStream, StopStream, CloseStream) has returned no refill running on the timer
// thread touches the file or the buffer.
extern std::mutex StreamLock;

constexpr uint32_t StreamRefillMs = 10;
constexpr uint32_t StreamMinimumMs = 50;
constexpr uint32_t TimerPeriodic = 1;   // TIME_PERIODIC

// The multimedia timer's callback: one refill, unless the stream has been stopped meanwhile.
void TS_WINAPI StreamTimerProc(uint32_t id, uint32_t message, uintptr_t user, uintptr_t unused1,
                               uintptr_t unused2);

// The byte that sounds as silence in samples of this width: 128 for 8 bits, 0 for 16.
uint8_t SilenceByte(uint16_t bitsPerSample);
