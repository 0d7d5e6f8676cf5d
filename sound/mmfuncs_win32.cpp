// The multimedia library reached through the kernel's own loader. Constant-initialised, so it
// is in place before any constructor of the program runs.
#include <windows.h>
#include <mmsystem.h>

#include "sound/mmfuncs.h"

// The portable table's types stand for winmm's own, on 32-bit and 64-bit Windows alike: the
// timer callback's three user values are pointer-sized there (DWORD_PTR), the rest 32 bits.
static_assert(sizeof(TimerCaps) == sizeof(TIMECAPS), "TimerCaps is TIMECAPS");
static_assert(sizeof(uintptr_t) == sizeof(DWORD_PTR) && sizeof(uint32_t) == sizeof(UINT) &&
                  sizeof(TimerCallback) == sizeof(LPTIMECALLBACK),
              "the timer callback's arguments have the platform's sizes");

namespace {

void* LoadByName(const char* name) { return reinterpret_cast<void*>(LoadLibraryA(name)); }

void* LookUp(void* module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void Unload(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }

}  // namespace

LibraryLoader MultimediaLoader = {LoadByName, LookUp, Unload};
