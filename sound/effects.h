// The five numbered sound effects and the two running-water loops, over the simple player or
// the DirectSound engine as SoundMode says.
#pragma once
#include <climits>
#include <cstdint>
#include "base/hooks.h"
#include "base/state.h"

// Engine volumes by VolumeLevel, hundredths of a decibel.
constexpr int VolumeLevelCount = 4;
extern const int32_t VolumeTable[VolumeLevelCount];
// The engine volume for a VolumeLevel in a four-entry table like VolumeTable. A level outside
// 1..3 (possible only from a hand-edited file) takes the normal volume rather than reading
// past the table.
inline int32_t EngineVolumeFor(const int32_t* volumeTable, uint8_t level) {
    constexpr uint8_t Loudest = 1, Normal = 2, Quietest = 3;
    return volumeTable[level >= Loudest && level <= Quietest ? level : Normal];
}

// The "WAVE" resource of each effect, by index.
extern const int32_t SoundResourceIds[SoundEffectCount];

// The two water loops' bookkeeping, [0] for sound 3 and [1] for sound 4: the volume last sent
// and the modulations since the last change of pan (0 to 11).
constexpr int WaterSoundCount = 2;
extern int32_t WaterVolumeCache[WaterSoundCount];
extern int32_t WaterPanCounter[WaterSoundCount];
// No volume is ever this, so a cache holding it makes the next modulation send its volume.
constexpr int32_t WaterVolumeUnsent = INT32_MIN;

// 0 when the engine runs with all five sounds loaded, 1 otherwise. Every attempt forgets the
// volumes sent to the water loops, whose new buffers start at full volume, and is counted in
// SoundEngineStarts and told to the debugger output with the device watch's looks so far: a
// long run's log then says how often the device was opened, beside what the process holds.
int StartSoundEngine(WindowHandle window);
extern uint32_t SoundEngineStarts;
// Starts the engine again on the output in use now (DirectSound's default device at this
// moment), at the settings in force: the one-shot sounds' volume and, when the water sound is
// on, the two loops at the stream's current level. The one path for everything that has to
// reopen the device: the user back at the machine, a new default output, a device that came
// back. It changes no setting, writes nothing to the settings file and leaves the menu alone.
// Only an engine the user's volume has running is restarted (SoundMode 2). 0 when the engine
// runs again; 1 when no device answered (shut down, so the program runs silently) or there was
// nothing to restart (another mode, or SoundAway).
int RestartSoundEngine(WindowHandle window);
// 1 while nobody is at the machine to hear the sozu (locked, display off, asleep): the engine
// is kept shut down, RestartSoundEngine refuses and no effect starts, whoever asks. Whoever
// clears it restarts.
extern int32_t SoundAway;
// 1 while the user watches or shows something full screen: no effect starts, whichever player
// would play it. The engine stays open, so the water comes back at once.
extern int32_t SoundBusy;
// Starts the two water loops again where they play (WaterLoopsPlay below); they take the
// stream's current level on their start. Timer 3 is not touched.
void StartWaterLoops();
int PlaySoundEffect(int index);
void ModulateWaterSound(int index);

// The simple player for SoundMode 1: the Win32 build plays the "WAVE" resource with
// PlayWaveResource; host tests link a recorder.
int PlaySimpleSound(int resourceId);

// Whether the engine plays the water loops now: the volume on through the engine, the switch
// on, and someone there with nothing full screen. Timer 3 runs only then.
bool WaterLoopsPlay();

#ifdef _WIN32
#include <windows.h>
// Plays one "WAVE" resource through the system's simple player; 0 when it cannot be found.
BOOL PlayWaveResource(int resourceId);
// The callback of window timer 3 (500 ms): modulates the water loops, or ends the timer once
// they no longer play.
void CALLBACK WaterSoundTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
// Starts timer 3 where the water loops play (restarting replaces it); elsewhere it would only
// wake the thread.
void KeepWaterTimer(HWND window);
#endif
