// The multimedia timer functions, taken from "winmm.dll" at run time and kept loaded while at
// least one user holds them.
#pragma once
#include <cstdint>

// The multimedia library's calling convention on 32-bit Windows; nothing elsewhere.
#if defined(_WIN32) && !defined(_WIN64)
#define TS_WINAPI __stdcall
#else
#define TS_WINAPI
#endif

struct TimerCaps {
    uint32_t periodMin;
    uint32_t periodMax;
};
using TimerCallback = void (TS_WINAPI *)(uint32_t id, uint32_t msg, uintptr_t user,
                                                       uintptr_t dw1, uintptr_t dw2);

struct MultimediaTable {
    void* module;
    int32_t users;
    uint32_t (TS_WINAPI *timeGetTime)();
    uint32_t (TS_WINAPI *timeBeginPeriod)(uint32_t period);
    uint32_t (TS_WINAPI *timeEndPeriod)(uint32_t period);
    uint32_t (TS_WINAPI *timeGetDevCaps)(TimerCaps* caps, uint32_t size);
    uint32_t (TS_WINAPI *timeSetEvent)(uint32_t delay, uint32_t resolution,
                                                     TimerCallback callback, uintptr_t user,
                                                     uint32_t flags);
    uint32_t (TS_WINAPI *timeKillEvent)(uint32_t id);
    void* joyGetNumDevs;
    void* joyGetPos;
    void* joyGetPosEx;
};
extern MultimediaTable MultimediaFunctions;

// How the table reaches a library; the executable loads it from the system folder by full path
// and uses GetProcAddress and FreeLibrary, host tests a fake.
struct LibraryLoader {
    void* (*load)(const char* name);
    void* (*lookup)(void* module, const char* name);
    void (*unload)(void* module);
};
extern LibraryLoader MultimediaLoader;

// Users after the call (1 or more), or 0 when the library or any of the nine names is missing.
int32_t AcquireMultimedia();
// Users after the call; unloads the library when the last user lets go.
int32_t ReleaseMultimedia();

#if defined(_WIN32)
// winmm's millisecond clock; the kernel's tick count where there is no winmm.
uint32_t MillisecondClock();
// Starts playing a whole WAVE file image from memory, asynchronously: 1, or 0 when there is no
// player or it refused. The image must stay in place while it plays.
int32_t PlayWaveImage(const void* image);
// Stops the sound PlayWaveImage started, where one was ever started: the player is not looked
// up (nor its library loaded) only to be told to stop.
void StopWaveImage();
#endif
