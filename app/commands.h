// What ApplySettings and the menu commands decide, kept apart from the platform calls that
// carry the decisions out, so the decisions can be checked with a recorder.
#pragma once
#include <cstdint>
#include "base/state.h"

struct ApplyPort {
    void (*checkItem)(int commandId, bool checked);
    void (*enableItem)(int commandId, bool enabled);   // false greys the item
    void (*writeKey)(const char* section, const char* key, int32_t value);
    int (*startSoundEngine)(WindowHandle window);      // 0 on success, 1 on failure
    void (*shutdownEngine)();
    void (*setVolume)(uint32_t slot, int32_t volume);
    void (*rewindSample)(uint32_t slot);
    int (*playSoundEffect)(int index);
    void (*startWaterTimer)(WindowHandle window);     // timer 3, 500 ms; restarting replaces it
    const int32_t* volumeTable;                        // engine volumes by VolumeLevel, 4 entries
};

// The run-state settings in the order ApplySettings treats them; -1 means nothing applied yet.
constexpr int AppliedSettingCount = 10;
extern int32_t AppliedSettings[AppliedSettingCount];

void ApplySettingsOver(WindowHandle window, const ApplyPort& port);

// A volume chosen while nobody is at the machine (SoundAway) only marks the menu and keeps the
// device closed. Back, this carries the last such choice out as if made now, and answers
// true; false when none waits (or nobody is back yet).
bool ApplyWaitingVolumeOver(WindowHandle window, const ApplyPort& port);

// Changes the AppSettings field that a setting command stands for and answers true; answers
// false, changing nothing, for every other identifier (exit, about, help, unknown).
bool ChangeSettingForCommand(int commandId);
