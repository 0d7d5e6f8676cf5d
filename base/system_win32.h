// Reaching system libraries and the calls that some Windows versions lack.
#pragma once
#include <windows.h>

// A system library loaded from the system folder by its full path, never by bare name:
// Windows looks in the program's own folder first for every library that is not one of its
// "known DLLs", so a stranger's copy left beside the program would run inside it. On 64-bit
// Windows a 32-bit program's system folder is redirected to SysWOW64, as it must be.
// Null when the folder cannot be read, the path would not fit, or the library is missing.
HMODULE LoadSystemLibrary(const char* name);

// The same three steps for the portable tables that hold a library as an untyped pointer (the
// multimedia table, the sound engine's device): load from the system folder, look a function
// up, unload.
void* LoadSystemModule(const char* name);
void* LookUpInModule(void* module, const char* name);
void UnloadModule(void* module);

// A call that some Windows versions lack, looked up once, on first use, and kept. Such calls
// are looked up rather than imported: a single import a system lacks stops the program from
// loading at all. The library is either one the program has loaded already (user32, gdi32,
// kernel32, shell32: all imported) or one loaded from the system folder.
enum class LibrarySource : unsigned char { AlreadyLoaded, SystemFolder };
struct SystemCallSlot {
    const char* library;
    const char* name;
    LibrarySource source;
    bool lookedUp;
    FARPROC address;
};

// The slot's address, null where this Windows lacks the library or the call.
FARPROC SystemCallAddress(SystemCallSlot& slot);

template <typename Call>
Call SystemCall(SystemCallSlot& slot) {
    return reinterpret_cast<Call>(reinterpret_cast<void*>(SystemCallAddress(slot)));
}

// The system libraries the program looks calls up in.
constexpr char User32Library[] = "user32.dll";
constexpr char Shell32Library[] = "shell32.dll";
constexpr char Kernel32Library[] = "kernel32.dll";
