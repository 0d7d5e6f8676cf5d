// Stand-ins for the sound functions the menu calls, for as long as the sound effects and the
// engine are not in this tree. Each records what it was asked, so a
// test can see that a command reached it. Include from exactly one test source.
#pragma once
#include <windows.h>
#include <cstdint>
#include <vector>
#include "sound/effects.h"

struct SiblingCalls {
    int engineStartResult = 0;          // what StartSoundEngine answers
    std::vector<int> played;            // PlaySoundEffect
    std::vector<uint32_t> rewound;      // SoundEngine::RewindSample
    int shutdowns = 0;
    int engineStarts = 0;
    std::vector<HWND> waterTicks;       // WaterSoundTimerProc, by window
};
inline SiblingCalls Sibling;

const int32_t VolumeTable[VolumeLevelCount] = {0, 0, -500, -1000};
int StartSoundEngine(WindowHandle) {
    ++Sibling.engineStarts;
    return Sibling.engineStartResult;
}
int PlaySoundEffect(int index) {
    Sibling.played.push_back(index);
    return 1;
}
void CALLBACK WaterSoundTimerProc(HWND window, UINT, UINT_PTR id, DWORD) {
    if (id == 3) Sibling.waterTicks.push_back(window);
}
namespace SoundEngine {
void Shutdown() { ++Sibling.shutdowns; }
int32_t SetVolume(uint32_t, int32_t) { return 0; }
int32_t RewindSample(uint32_t slot) {
    Sibling.rewound.push_back(slot);
    return 0;
}
}  // namespace SoundEngine
