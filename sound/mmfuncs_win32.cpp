// The multimedia library reached through the kernel's own loader. Constant-initialised, so it
// is in place before any constructor of the program runs.
#include <windows.h>

#include "sound/mmfuncs.h"

namespace {

void* LoadByName(const char* name) { return reinterpret_cast<void*>(LoadLibraryA(name)); }

void* LookUp(void* module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void Unload(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }

}  // namespace

LibraryLoader MultimediaLoader = {LoadByName, LookUp, Unload};
