// The device watch's window timer: the Win32 side of the watch over the sound output.
#include <windows.h>

#include "sound/device_watch.h"

// The message's time is the system's millisecond count, the clock the watch paces by.
void CALLBACK DeviceWatchTimerProc(HWND window, UINT, UINT_PTR, DWORD time) {
    WatchSoundDevice(window, time);
}
