// Stand-ins for the sound functions the menu calls, for as long as the sound effects and the
// engine are not in this tree. The engine never starts here, as the real one cannot without
// its five sounds; the tests accept either outcome and check that the menu agrees with it.
// Include from exactly one test source.
#pragma once
#include <windows.h>
#include <cstdint>
#include "sound/effects.h"
#include "sound/engine.h"

const int32_t VolumeTable[VolumeLevelCount] = {0, 0, -500, -1000};
int StartSoundEngine(WindowHandle) { return 1; }
int PlaySoundEffect(int) { return 0; }
void CALLBACK WaterSoundTimerProc(HWND, UINT, UINT_PTR, DWORD) {}
namespace SoundEngine {
void Shutdown() {}
int32_t SetVolume(uint32_t, int32_t) { return 0; }
int32_t RewindSample(uint32_t) { return 0; }
}  // namespace SoundEngine
