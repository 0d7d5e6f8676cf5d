// The five numbered sound effects and the two running-water loops, over the simple player or
// the DirectSound engine as SoundMode says.
#pragma once
#include <cstdint>
#include "app/state.h"

enum SoundEffect : int { SoundStrike = 0, SoundEcho = 1, SoundSpill = 2, SoundWaterA = 3,
                         SoundWaterB = 4, SoundEffectCount = 5 };

// Engine volumes by VolumeLevel, hundredths of a decibel.
constexpr int VolumeLevelCount = 4;
extern const int32_t VolumeTable[VolumeLevelCount];

// 0 when the engine runs with all five sounds loaded, 1 otherwise.
int StartSoundEngine(WindowHandle window);
int PlaySoundEffect(int index);
void ModulateWaterSound(int index);

#ifdef _WIN32
#include <windows.h>
// Plays one "WAVE" resource through the system's simple player; 0 when it cannot be found.
BOOL PlayWaveResource(int resourceId);
// The callback of window timer 3 (500 ms): modulates the water loops, or ends the timer.
void CALLBACK WaterSoundTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
#endif
