// The settings file's load and save order over a small profile interface, so the order, the
// section spellings and the 8-bit truncation can be checked without the platform.
#pragma once
#include <cstdint>
#include "base/settings.h"

struct SettingsProfile {
    // The integer under section/key of SettingsPath, or fallback when the key is missing.
    int32_t (*readInt)(const char* section, const char* key, int32_t fallback);
    // Replaces (or adds) one key of SettingsPath.
    void (*writeString)(const char* section, const char* key, const char* text);
    // GetCurrentDirectoryA's contract: the length written (terminator excluded) when it fits
    // in capacity, else the length needed (terminator included) with nothing written; 0 on
    // failure.
    uint32_t (*currentDirectory)(uint32_t capacity, char* buffer);
    int32_t (*screenWidth)();
    int32_t (*screenHeight)();
};

// The current directory is fetched with this many characters, terminator included.
constexpr uint32_t CurrentDirectoryCapacity = 255;
constexpr char SettingsFileName[] = "tsutsurin.ini";
// Used when the current directory cannot be fetched or does not fit: the private-profile
// functions look for a bare file name in the Windows directory, so the name keeps a ".\"
// that anchors it in the current directory.
constexpr char SettingsRelativePath[] = ".\\tsutsurin.ini";

// The window's place in the file, read and saved with the rest and written alone whenever a
// free window moves.
constexpr char XposKey[] = "Xpos";
constexpr char YposKey[] = "Ypos";

// SettingsFileIo over the given profile. Mode 1 fills SettingsPath first, then loads; mode 2
// saves; both answer true. Any other mode answers false and touches nothing.
bool SettingsFileIoOver(uint8_t mode, const SettingsProfile& profile);

// "%d" of value; the buffer holds every 32-bit value.
constexpr int SettingTextBytes = 16;
void FormatSettingInt(int32_t value, char (&text)[SettingTextBytes]);
