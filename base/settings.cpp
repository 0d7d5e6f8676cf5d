#include "base/settings_profile.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "base/scale.h"

AppSettingsRecord AppSettings = {};
char SettingsPath[SettingsPathBytes] = {};

const char* const SettingSections[] = {RunStateSection, RunStateSectionOfVolume, ThresholdSection,
                                      DebugSection};

namespace {
constexpr SettingKey Byte(uint8_t section, const char* key, int16_t fallback, size_t field,
                          uint8_t shape = SettingByte) {
    return {key, fallback, section, static_cast<uint8_t>(field), shape};
}
constexpr SettingKey Entry(const char* key, int16_t fallback, size_t row, int index) {
    return {key, fallback, ThresholdKeys, static_cast<uint8_t>(row + index * sizeof(int32_t)),
            SettingInt32};
}
using R = AppSettingsRecord;
constexpr size_t Cpu = offsetof(R, CpuThresholds);
constexpr size_t Random = offsetof(R, RandomRanges);
}  // namespace

// In the file's order. Per sensitivity (0 highest .. 5 lowest), cpu is the CPU usage that fills
// the tube and random the range of the random water source.
const SettingKey SettingKeys[] = {
    Byte(RunStateKeys, "win_obj", 1, offsetof(R, WaterSource)),
    Byte(RunStateKeys, "frn_kan", 2, offsetof(R, Sensitivity)),
    Byte(RunStateKeys, "posmode", 0, offsetof(R, PositionMode)),
    Byte(RunStateKeysOfVolume, "snd_vol", 2, offsetof(R, VolumeLevel)),
    Entry("cpu0", 15, Cpu, 0),     Entry("cpu1", 30, Cpu, 1),     Entry("cpu2", 45, Cpu, 2),
    Entry("cpu3", 60, Cpu, 3),     Entry("cpu4", 75, Cpu, 4),     Entry("cpu5", 90, Cpu, 5),
    Entry("random0", 8, Random, 0),  Entry("random1", 16, Random, 1),
    Entry("random2", 24, Random, 2), Entry("random3", 32, Random, 3),
    Entry("random4", 40, Random, 4), Entry("random5", 48, Random, 5),
    Byte(RunStateKeys, "etc_water", 1, offsetof(R, WaterSoundEffect)),
    Byte(RunStateKeys, "etc_sizuk", 1, offsetof(R, DropsEffect)),
    Byte(RunStateKeys, "etc_yoin", 0, offsetof(R, EchoEffect)),
    Byte(RunStateKeys, "mem_rel", 1, offsetof(R, InstantMeterShown)),
    Byte(RunStateKeys, "mem_sum", 1, offsetof(R, CumulativeMeterShown)),
    Byte(RunStateKeys, "mem_col", 2, offsetof(R, MeterTint)),
    Byte(DebugKeys, "sw", 0, offsetof(R, DebugSwitch)),
    // Only a hand-edited file holds the busy rule: read, never written back.
    Byte(RunStateKeys, "etc_busy", 1, offsetof(R, BusyRule), SettingByte | SettingReadOnly),
};
static_assert(sizeof SettingKeys / sizeof SettingKeys[0] == SettingKeyCount, "one row a key");

namespace {

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

void Load(const SettingsProfile& p) {
    FillSettingsPath(p);
    AppSettingsRecord& s = AppSettings;
    // A first start stands the sozu in the middle of the screen, at the scale in force.
    const int32_t side = DisplayScale.side;
    s.WindowPos.left = p.readInt(WindowPlaceSection, XposKey, (p.screenWidth() - side) / 2);
    s.WindowPos.top = p.readInt(WindowPlaceSection, YposKey, (p.screenHeight() - side) / 2);
    for (const SettingKey& k : SettingKeys) {
        const int32_t value = p.readInt(SettingSections[k.section], k.key, k.fallback);
        if (k.shape & SettingInt32) {
            std::memcpy(&SettingByteAt(s, k.field), &value, sizeof value);
        } else {
            // Only the low 8 bits are kept: 258 reads as 2, -1 as 255. No range test here;
            // each user guards its own indexing.
            SettingByteAt(s, k.field) = static_cast<uint8_t>(value);
        }
    }
}

void Write(const SettingsProfile& p, const char* section, const char* key, int32_t value) {
    char text[SettingTextBytes];
    FormatSettingInt(value, text);
    p.writeString(section, key, text);
}

void Save(const SettingsProfile& p) {
    AppSettingsRecord& s = AppSettings;
    Write(p, WindowPlaceSection, XposKey, s.WindowPos.left);
    Write(p, WindowPlaceSection, YposKey, s.WindowPos.top);
    for (const SettingKey& k : SettingKeys) {
        if (k.shape & SettingReadOnly) continue;
        int32_t value = SettingByteAt(s, k.field);
        if (k.shape & SettingInt32) std::memcpy(&value, &SettingByteAt(s, k.field), sizeof value);
        Write(p, SettingSections[k.section], k.key, value);
    }
}

}  // namespace

void FormatSettingInt(int32_t value, char (&text)[SettingTextBytes]) {
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
}

bool SettingsFileIoOver(uint8_t mode, const SettingsProfile& profile) {
    switch (mode) {
    case SettingsLoad: Load(profile); return true;
    case SettingsSave: Save(profile); return true;
    default: return false;
    }
}

const SettingKey& SettingKeyOf(uint8_t field) {
    int i = 0;
    while (i < SettingKeyCount - 1 && SettingKeys[i].field != field) ++i;
    return SettingKeys[i];
}
