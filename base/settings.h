// Every persisted setting, and the settings file that keeps them.
#pragma once
#include <cstdint>
#include "base/state.h"

constexpr int SensitivityCount = 6;

struct AppSettingsRecord {
    ScreenRect WindowPos;          // left and top are stored; right and bottom are not
    uint8_t WaterSource;           // 0 usage of the moment, 1 usage summed, 2 random
    uint8_t Sensitivity;           // 0 highest .. 5 lowest
    uint8_t PositionMode;          // 0 perched, 1 free, 2 free and always on top (see below)
    uint8_t VolumeLevel;           // 0 off, 1 louder, 2 normal, 3 quieter
    int32_t CpuThresholds[SensitivityCount];
    int32_t RandomRanges[SensitivityCount];
    uint8_t WaterSoundEffect;
    uint8_t DropsEffect;
    uint8_t EchoEffect;
    uint8_t InstantMeterShown;
    uint8_t CumulativeMeterShown;
    uint8_t MeterTint;             // 0 bright, 1 dark, 2 standard
    uint8_t DebugSwitch;
    // 1 (the default) hides and silences the sozu while something runs full screen; only a
    // hand-edited file turns it off, and the program reads it without writing it back.
    uint8_t BusyRule;
};

extern AppSettingsRecord AppSettings;

// PositionMode 0 perches the sozu beside the window in front; every other value stands it
// free, where the user drags it. Only 2 keeps it on top: a hand-edited 3 to 255 is free
// placement, and is written back as it was read.
enum : uint8_t { PositionPerched = 0, PositionFree = 1, PositionFreeOnTop = 2 };
inline bool FreePlacement(uint8_t positionMode) { return positionMode != PositionPerched; }

// The full path of the settings file, filled by the load.
constexpr int SettingsPathBytes = 270;
extern char SettingsPath[SettingsPathBytes];

enum : uint8_t { SettingsLoad = 1, SettingsSave = 2 };
// Mode 1 loads every field (and fills SettingsPath first), mode 2 saves every field; both
// answer true. Any other mode does nothing and answers false.
bool SettingsFileIo(uint8_t mode);

// The file's sections. The run-state section has two spellings: its keys are written under
// "Runsts", the volume alone under "RunSts". The private-profile functions match section names
// without regard to case, so both reach one section, and a file shows the spelling of
// whichever key made the section: files kept so far rely on both, so both stay.
constexpr char WindowPlaceSection[] = "Winpos";
constexpr char RunStateSection[] = "Runsts";
constexpr char RunStateSectionOfVolume[] = "RunSts";
constexpr char ThresholdSection[] = "Kand";
constexpr char DebugSection[] = "Debug";

// One key of the file besides the window's place: where it lives, what a missing key reads
// as, and the field of AppSettings that holds it (its offset), a byte or a 32-bit entry of a
// per-sensitivity row. The load, the
// save and the menu's apply all walk SettingKeys, so each key is spelled once, in the file's
// order. Kept small: the executable carries the table.
enum : uint8_t { SettingByte = 0, SettingInt32 = 1, SettingReadOnly = 2 };
struct SettingKey {
    const char* key;
    int16_t fallback;
    uint8_t section;   // index into SettingSections
    uint8_t field;     // offset in AppSettingsRecord
    uint8_t shape;     // SettingByte or SettingInt32, with SettingReadOnly for a key never saved
};
enum : uint8_t { RunStateKeys, RunStateKeysOfVolume, ThresholdKeys, DebugKeys };
extern const char* const SettingSections[];
constexpr int SettingKeyCount = 24;
extern const SettingKey SettingKeys[SettingKeyCount];
// The row of SettingKeys whose byte field lies at this offset of AppSettingsRecord.
const SettingKey& SettingKeyOf(uint8_t field);
inline uint8_t& SettingByteAt(AppSettingsRecord& s, uint8_t field) {
    return reinterpret_cast<uint8_t*>(&s)[field];
}

// One key, formatted with "%d", written to SettingsPath at once.
void WriteSettingInt(const char* section, const char* key, int32_t value);
// The window's place: each coordinate into AppSettings.WindowPos and, at once, into the file.
void SaveWindowLeft(int32_t left);
void SaveWindowTop(int32_t top);
