// The watch over the output the sound engine plays on. DirectSound opened on the default output
// stays on the device that was the default then, and a device that goes away (a headset
// switched off, a dock unplugged) leaves the engine failing. The watch follows a new default
// output, leaves a device that is gone, and tries the default again at a slow pace until one
// answers; every start goes through RestartSoundEngine, and no setting changes.
// Reading which output is the default costs a device enumerator each time (COM start-up, the
// class registry, the driver's key). Where the system tells of a new default output itself
// (the endpoint notifications, Vista on), the watch reads it on that word alone, and while a
// spell of trouble is paced; its periodic look is then only the engine's own cheap call.
#pragma once
#include <cstdint>
#include "base/state.h"

// How often the watch looks, and the least time between two tries of the default output while
// the engine cannot keep one (with a look every 2 s, a try every third look).
constexpr uint32_t DeviceWatchPeriodMs = 2000;
constexpr uint32_t DeviceRetryMs = 5000;

// What one look saw.
struct DeviceLook {
    int32_t wanted;        // the engine should run: SoundMode 2 and somebody there (SoundAway 0)
    int32_t running;       // the engine holds a device
    int32_t goneResult;    // a call's answer that the device is gone; 0 while none said so
    int32_t defaultMoved;  // the default output is no longer the one the engine opened on
};

enum DeviceVerdict : int {
    DeviceFine,    // nothing to do
    DeviceWait,    // no device yet, and the last try is too recent for another
    DeviceFollow,  // a new default output: start again on it; a failure is written down
    DeviceLeave,   // the device is gone: shut down, write the loss once, try the default now
    DeviceRetry,   // start again on the default, its failure kept out of the support file
    DeviceDrop,    // the device is gone again too soon after a try: shut down, try later
};

// A spell of trouble: from the first loss, failure or new default until the engine has run
// well for a whole retry interval. One line reaches the support file per spell.
struct DeviceWatchState {
    int32_t pacing;       // 1 during a spell: tries are paced and failures are not written
    uint32_t lastTryMs;   // when the default output was last tried
    int32_t listening;    // 1 while the system tells of every change of the outputs
};
extern DeviceWatchState SoundDeviceWatch;
// Every look since the program started; the engine's starts report it to the debugger output.
extern uint32_t DeviceWatchLooks;

// The decision alone, over the clock in milliseconds (which may wrap).
DeviceVerdict JudgeDevice(DeviceWatchState& state, const DeviceLook& look, uint32_t nowMs);

// One look at the engine and its output, and the verdict carried out. Answers the verdict.
DeviceVerdict WatchSoundDevice(WindowHandle window, uint32_t nowMs);
// The same look when the system has told of a change of the outputs: the default is read.
DeviceVerdict HearOutputChange(WindowHandle window, uint32_t nowMs);

// The engine started again for someone back at the machine (RestartSoundEngine), under the
// watch's rule for the support file: within a spell of trouble a failure writes nothing, and a
// failure outside one begins a spell, so that the next return writes nothing either. Answers
// as RestartSoundEngine.
int RestartOnReturn(WindowHandle window, uint32_t nowMs);

#ifdef _WIN32
#include <windows.h>
// One look of the device watch on the window the engine uses, every DeviceWatchPeriodMs as the
// heartbeat steps; nowMs is the system's millisecond count. The first look while the engine
// runs asks the system for its notices (once in the run).
void LookAtSoundDevice(HWND window, uint32_t nowMs);

// What the system's notices post to the window, at most one at a time; its handler looks.
constexpr UINT OutputNoticeMessage = WM_APP + 1;
LRESULT OnOutputNotice(HWND window);
// The notices' registration undone, at the window's end; a later look may register again.
void StopListeningToOutputs();
// The object the system calls with its notices, from a thread of its own.
struct IMMNotificationClient;
IMMNotificationClient* OutputNoticeClient();
#endif
