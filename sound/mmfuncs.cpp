// The multimedia timer functions, looked up by name at run time and shared by reference count.
#include "sound/mmfuncs.h"

#include <cstddef>

MultimediaTable MultimediaFunctions = {};

namespace {

constexpr const char* LibraryName = "winmm.dll";
constexpr std::size_t EntryCount = 9;
// Looked up in this order; all nine must be there, also the joystick ones nobody calls, so that
// a library missing any of them is refused as a whole rather than half used.
constexpr const char* EntryNames[EntryCount] = {
    "timeGetTime",   "timeBeginPeriod", "timeEndPeriod", "timeGetDevCaps", "timeSetEvent",
    "timeKillEvent", "joyGetNumDevs",   "joyGetPos",     "joyGetPosEx",
};

// No address of the unloaded library may stay in the table to be called by mistake.
void ClearEntries() {
    MultimediaTable& t = MultimediaFunctions;
    t.timeGetTime = nullptr;
    t.timeBeginPeriod = nullptr;
    t.timeEndPeriod = nullptr;
    t.timeGetDevCaps = nullptr;
    t.timeSetEvent = nullptr;
    t.timeKillEvent = nullptr;
    t.joyGetNumDevs = nullptr;
    t.joyGetPos = nullptr;
    t.joyGetPosEx = nullptr;
}

template <typename Function>
void Assign(Function& slot, void* address) {
    slot = reinterpret_cast<Function>(address);
}

}  // namespace

int32_t AcquireMultimedia() {
    MultimediaTable& t = MultimediaFunctions;
    if (t.module != nullptr) {
        return ++t.users;
    }
    t.users = 0;
    if (MultimediaLoader.load == nullptr) {
        return 0;
    }
    void* module = MultimediaLoader.load(LibraryName);
    if (module == nullptr) {
        return 0;
    }
    void* found[EntryCount] = {};
    for (std::size_t i = 0; i < EntryCount; ++i) {
        found[i] = MultimediaLoader.lookup(module, EntryNames[i]);
        if (found[i] == nullptr) {
            MultimediaLoader.unload(module);
            return 0;
        }
    }
    t.module = module;
    Assign(t.timeGetTime, found[0]);
    Assign(t.timeBeginPeriod, found[1]);
    Assign(t.timeEndPeriod, found[2]);
    Assign(t.timeGetDevCaps, found[3]);
    Assign(t.timeSetEvent, found[4]);
    Assign(t.timeKillEvent, found[5]);
    t.joyGetNumDevs = found[6];
    t.joyGetPos = found[7];
    t.joyGetPosEx = found[8];
    t.users = 1;
    return 1;
}

int32_t ReleaseMultimedia() {
    MultimediaTable& t = MultimediaFunctions;
    if (t.module == nullptr) {
        return t.users;
    }
    if (--t.users == 0) {
        MultimediaLoader.unload(t.module);
        t.module = nullptr;
        ClearEntries();
    }
    return t.users;
}

#if !defined(_WIN32)
// Off Windows there is no multimedia library: every acquisition fails until a test installs
// a loader of its own.
LibraryLoader MultimediaLoader = {nullptr, nullptr, nullptr};
#endif
