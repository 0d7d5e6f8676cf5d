// The multimedia library reached through the kernel's own loader, always from the system folder.
// Constant-initialised, so it is in place before any constructor of the program runs.
#include <windows.h>
#include <mmsystem.h>

#include "base/system_win32.h"
#include "sound/mmfuncs.h"

// The portable table's types stand for winmm's own, on 32-bit and 64-bit Windows alike: the
// timer callback's three user values are pointer-sized there (DWORD_PTR), the rest 32 bits.
static_assert(sizeof(TimerCaps) == sizeof(TIMECAPS), "TimerCaps is TIMECAPS");
static_assert(sizeof(uintptr_t) == sizeof(DWORD_PTR) && sizeof(uint32_t) == sizeof(UINT) &&
                  sizeof(TimerCallback) == sizeof(LPTIMECALLBACK),
              "the timer callback's arguments have the platform's sizes");

namespace {

// The clock and the simple player are looked up, not imported: an import is resolved before any
// of the program's code runs, by the loader's search, which takes a winmm.dll from the
// program's own folder first. These two keep the library loaded from their first use on, so
// that a sound being played from memory outlives the engine's release of the timer table.
constexpr char MultimediaLibrary[] = "winmm.dll";
using ClockCall = DWORD(WINAPI*)();
using PlayerCall = BOOL(WINAPI*)(LPCSTR, UINT);
SystemCallSlot ClockSlot = {MultimediaLibrary, "timeGetTime", LibrarySource::SystemFolder, false,
                            nullptr};
SystemCallSlot PlayerSlot = {MultimediaLibrary, "sndPlaySoundA", LibrarySource::SystemFolder,
                             false, nullptr};

}  // namespace

LibraryLoader MultimediaLoader = {LoadSystemModule, LookUpInModule, UnloadModule};

uint32_t MillisecondClock() {
    // Without winmm, the kernel's tick count: the same milliseconds since start-up, in coarser
    // steps, and kernel32 has it on every Windows.
    if (const ClockCall clock = SystemCall<ClockCall>(ClockSlot)) return clock();
    return GetTickCount();
}

int32_t PlayWaveImage(const void* image) {
    const PlayerCall play = SystemCall<PlayerCall>(PlayerSlot);
    return play && play(static_cast<LPCSTR>(image), SND_ASYNC | SND_MEMORY) ? 1 : 0;
}

void StopWaveImage() {
    if (!PlayerSlot.lookedUp) return;
    const PlayerCall play = SystemCall<PlayerCall>(PlayerSlot);
    if (play) play(nullptr, 0);   // a null sound stops the one playing
}
