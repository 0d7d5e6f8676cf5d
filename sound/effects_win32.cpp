// The simple player and the water-sound timer: the Win32 side of the sound effects.
#include <windows.h>

#include "base/settings.h"
#include "base/window_win32.h"
#include "sound/effects.h"
#include "sound/mmfuncs.h"

BOOL PlayWaveResource(int resourceId) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId & 0xFFFF), "WAVE");
    if (found == nullptr) return 0;
    HGLOBAL loaded = LoadResource(module, found);
    if (loaded == nullptr) return 0;
    const void* image = LockResource(loaded);
    if (image == nullptr) return 0;
    // The resource image lives as long as the process, so the player may read it in place after
    // this call returns; nothing is copied or freed.
    return PlayWaveImage(image);
}

int PlaySimpleSound(int resourceId) { return PlayWaveResource(resourceId); }

void CALLBACK WaterSoundTimerProc(HWND window, UINT, UINT_PTR id, DWORD) {
    if (WaterLoopsPlay()) {
        ModulateWaterSound(SoundWaterA);
        ModulateWaterSound(SoundWaterB);
    } else {
        KillTimer(window, id);
    }
}

void KeepWaterTimer(HWND window) {
    if (WaterLoopsPlay()) SetTimer(window, WaterSoundTimer, WaterSoundMs, WaterSoundTimerProc);
}
