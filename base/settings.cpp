#include "base/settings_profile.h"

#include <cstdio>
#include <cstring>

#include "base/scale.h"

char SettingsPath[SettingsPathBytes] = {};

namespace {

constexpr char WinposSection[] = "Winpos";
// The run-state section is spelled two ways by the writers; the private-profile functions
// match section names without regard to case, so both reach the one section.
constexpr char RunstsSection[] = "Runsts";
constexpr char RunStsSection[] = "RunSts";
constexpr char KandSection[] = "Kand";
constexpr char DebugSection[] = "Debug";

constexpr const char* CpuKeys[SensitivityCount] = {"cpu0", "cpu1", "cpu2", "cpu3", "cpu4", "cpu5"};
constexpr const char* RandomKeys[SensitivityCount] = {"random0", "random1", "random2",
                                                      "random3", "random4", "random5"};
constexpr int32_t CpuDefaults[SensitivityCount] = {15, 30, 45, 60, 75, 90};
constexpr int32_t RandomDefaults[SensitivityCount] = {8, 16, 24, 32, 40, 48};

void FillSettingsPath(const SettingsProfile& profile) {
    char directory[CurrentDirectoryCapacity] = {};
    const uint32_t length = profile.currentDirectory(CurrentDirectoryCapacity, directory);
    // A result at or above the capacity is the size needed: nothing was written.
    if (length == 0 || length >= CurrentDirectoryCapacity) {
        std::snprintf(SettingsPath, sizeof SettingsPath, "%s", SettingsRelativePath);
        return;
    }
    directory[length] = '\0';
    std::snprintf(SettingsPath, sizeof SettingsPath, "%s\\%s", directory, SettingsFileName);
}

// Only the low 8 bits are kept: 258 reads as 2, -1 as 255. No range test here; each user
// guards its own indexing.
uint8_t ReadByte(const SettingsProfile& p, const char* section, const char* key,
                 int32_t fallback) {
    return static_cast<uint8_t>(p.readInt(section, key, fallback));
}

void Load(const SettingsProfile& p) {
    FillSettingsPath(p);
    AppSettingsRecord& s = AppSettings;
    // A first start stands the sozu in the middle of the screen, at the scale in force.
    const int32_t side = DisplayScale.side;
    s.WindowPos.left = p.readInt(WinposSection, "Xpos", (p.screenWidth() - side) / 2);
    s.WindowPos.top = p.readInt(WinposSection, "Ypos", (p.screenHeight() - side) / 2);
    s.WaterSource = ReadByte(p, RunstsSection, "win_obj", 1);
    s.Sensitivity = ReadByte(p, RunstsSection, "frn_kan", 2);
    s.PositionMode = ReadByte(p, RunstsSection, "posmode", 0);
    s.VolumeLevel = ReadByte(p, RunstsSection, "snd_vol", 2);
    for (int i = 0; i < SensitivityCount; ++i) {
        s.CpuThresholds[i] = p.readInt(KandSection, CpuKeys[i], CpuDefaults[i]);
    }
    for (int i = 0; i < SensitivityCount; ++i) {
        s.RandomRanges[i] = p.readInt(KandSection, RandomKeys[i], RandomDefaults[i]);
    }
    s.WaterSoundEffect = ReadByte(p, RunstsSection, "etc_water", 1);
    s.DropsEffect = ReadByte(p, RunstsSection, "etc_sizuk", 1);
    s.EchoEffect = ReadByte(p, RunstsSection, "etc_yoin", 0);
    s.InstantMeterShown = ReadByte(p, RunstsSection, "mem_rel", 1);
    s.CumulativeMeterShown = ReadByte(p, RunstsSection, "mem_sum", 1);
    s.MeterTint = ReadByte(p, RunstsSection, "mem_col", 2);
    s.DebugSwitch = ReadByte(p, DebugSection, "sw", 0);
    s.BusyRule = ReadByte(p, RunstsSection, "etc_busy", 1);
}

void Write(const SettingsProfile& p, const char* section, const char* key, int32_t value) {
    char text[SettingTextBytes];
    FormatSettingInt(value, text);
    p.writeString(section, key, text);
}

void Save(const SettingsProfile& p) {
    const AppSettingsRecord& s = AppSettings;
    Write(p, WinposSection, "Xpos", s.WindowPos.left);
    Write(p, WinposSection, "Ypos", s.WindowPos.top);
    Write(p, RunstsSection, "win_obj", s.WaterSource);
    Write(p, RunstsSection, "frn_kan", s.Sensitivity);
    Write(p, RunstsSection, "posmode", s.PositionMode);
    Write(p, RunStsSection, "snd_vol", s.VolumeLevel);
    for (int i = 0; i < SensitivityCount; ++i) Write(p, KandSection, CpuKeys[i], s.CpuThresholds[i]);
    for (int i = 0; i < SensitivityCount; ++i) {
        Write(p, KandSection, RandomKeys[i], s.RandomRanges[i]);
    }
    Write(p, RunStsSection, "etc_water", s.WaterSoundEffect);
    Write(p, RunStsSection, "etc_sizuk", s.DropsEffect);
    Write(p, RunStsSection, "etc_yoin", s.EchoEffect);
    Write(p, RunStsSection, "mem_rel", s.InstantMeterShown);
    Write(p, RunStsSection, "mem_sum", s.CumulativeMeterShown);
    Write(p, RunStsSection, "mem_col", s.MeterTint);
    Write(p, DebugSection, "sw", s.DebugSwitch);
}

}  // namespace

void FormatSettingInt(int32_t value, char (&text)[SettingTextBytes]) {
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
}

bool SettingsFileIoOver(uint8_t mode, const SettingsProfile& profile) {
    switch (mode) {
    case SettingsLoad: Load(profile); return false;
    case SettingsSave: Save(profile); return false;
    default: return true;
    }
}
