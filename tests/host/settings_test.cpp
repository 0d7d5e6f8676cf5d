// The settings file's load and save order, section spellings, defaults and truncation, over
// a profile that records every call and answers from an in-memory file.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/settings_profile.h"

namespace {

struct Call {
    std::string section, key, text;   // text: the value written, or "?fallback" for a read
    bool operator==(const Call& o) const {
        return section == o.section && key == o.key && text == o.text;
    }
};

struct FakeFile {
    std::vector<Call> calls;
    std::map<std::string, int32_t> values;   // "key" -> value; sections are not told apart
    std::string directory = "C:\\users\\sozu";
    int64_t directoryAnswer = -1;   // when set, answered instead, with nothing written
    int32_t width = 1024, height = 768;
};
FakeFile* Current = nullptr;

int32_t FakeRead(const char* section, const char* key, int32_t fallback) {
    Current->calls.push_back({section, key, "?" + std::to_string(fallback)});
    auto it = Current->values.find(key);
    return it == Current->values.end() ? fallback : it->second;
}
void FakeWrite(const char* section, const char* key, const char* text) {
    Current->calls.push_back({section, key, text});
}
uint32_t FakeDirectory(uint32_t capacity, char* buffer) {
    if (Current->directoryAnswer >= 0) return static_cast<uint32_t>(Current->directoryAnswer);
    EXPECT_LT(Current->directory.size(), capacity);
    std::memcpy(buffer, Current->directory.c_str(), Current->directory.size() + 1);
    return static_cast<uint32_t>(Current->directory.size());
}
int32_t FakeWidth() { return Current->width; }
int32_t FakeHeight() { return Current->height; }

constexpr SettingsProfile Fake = {FakeRead, FakeWrite, FakeDirectory, FakeWidth, FakeHeight};

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        Current = &file;
        AppSettings = {};
        std::memset(SettingsPath, 0, sizeof SettingsPath);
    }
    void TearDown() override { Current = nullptr; }
    FakeFile file;
};

// section, key, default (as read) in the load's order
const std::vector<Call> LoadOrder = {
    {"Winpos", "Xpos", "?488"},    {"Winpos", "Ypos", "?360"},    {"Runsts", "win_obj", "?1"},
    {"Runsts", "frn_kan", "?2"},   {"Runsts", "posmode", "?0"},   {"RunSts", "snd_vol", "?2"},
    {"Kand", "cpu0", "?15"},       {"Kand", "cpu1", "?30"},       {"Kand", "cpu2", "?45"},
    {"Kand", "cpu3", "?60"},       {"Kand", "cpu4", "?75"},       {"Kand", "cpu5", "?90"},
    {"Kand", "random0", "?8"},     {"Kand", "random1", "?16"},    {"Kand", "random2", "?24"},
    {"Kand", "random3", "?32"},    {"Kand", "random4", "?40"},    {"Kand", "random5", "?48"},
    {"Runsts", "etc_water", "?1"}, {"Runsts", "etc_sizuk", "?1"}, {"Runsts", "etc_yoin", "?0"},
    {"Runsts", "mem_rel", "?1"},   {"Runsts", "mem_sum", "?1"},   {"Runsts", "mem_col", "?2"},
    {"Debug", "sw", "?0"},         {"Runsts", "etc_busy", "?1"},
};

TEST_F(SettingsFile, LoadWithoutFileGivesEveryDefaultInOrder) {
    EXPECT_TRUE(SettingsFileIoOver(SettingsLoad, Fake));
    EXPECT_EQ(file.calls, LoadOrder);
    EXPECT_STREQ(SettingsPath, "C:\\users\\sozu\\tsutsurin.ini");
    const AppSettingsRecord& s = AppSettings;
    EXPECT_EQ(s.WindowPos.left, 488);
    EXPECT_EQ(s.WindowPos.top, 360);
    const int32_t cpu[] = {15, 30, 45, 60, 75, 90}, random[] = {8, 16, 24, 32, 40, 48};
    for (int i = 0; i < SensitivityCount; ++i) {
        EXPECT_EQ(s.CpuThresholds[i], cpu[i]);
        EXPECT_EQ(s.RandomRanges[i], random[i]);
    }
    const uint8_t bytes[] = {s.WaterSource, s.Sensitivity, s.PositionMode, s.VolumeLevel,
                             s.WaterSoundEffect, s.DropsEffect, s.EchoEffect,
                             s.InstantMeterShown, s.CumulativeMeterShown, s.MeterTint,
                             s.DebugSwitch, s.BusyRule};
    const uint8_t expected[] = {1, 2, 0, 2, 1, 1, 0, 1, 1, 2, 0, 1};
    EXPECT_EQ(0, std::memcmp(bytes, expected, sizeof bytes));
}

TEST_F(SettingsFile, CentredDefaultTruncatesTowardZero) {
    file.width = 47;    // (47 - 48) / 2 is 0, not -1
    file.height = 1;    // (1 - 48) / 2 is -23
    SettingsFileIoOver(SettingsLoad, Fake);
    EXPECT_EQ(AppSettings.WindowPos.left, 0);
    EXPECT_EQ(AppSettings.WindowPos.top, -23);
}

TEST_F(SettingsFile, ByteFieldsKeepLowEightBitsAndAreWrittenBackSo) {
    file.values = {{"snd_vol", 258}, {"win_obj", -1}, {"Xpos", -20}, {"sw", 5}, {"cpu3", -7},
                   {"random0", 0}};
    SettingsFileIoOver(SettingsLoad, Fake);
    EXPECT_EQ(AppSettings.VolumeLevel, 2);
    EXPECT_EQ(AppSettings.WaterSource, 255);
    EXPECT_EQ(AppSettings.WindowPos.left, -20);
    EXPECT_EQ(AppSettings.DebugSwitch, 5);         // no range test
    EXPECT_EQ(AppSettings.CpuThresholds[3], -7);
    EXPECT_EQ(AppSettings.RandomRanges[0], 0);     // kept; the simulation guards its modulo
    file.calls.clear();
    SettingsFileIoOver(SettingsSave, Fake);
    auto written = [&](const char* key) {
        for (const Call& c : file.calls) if (c.key == key) return c.text;
        return std::string("missing");
    };
    EXPECT_EQ(written("snd_vol"), "2");
    EXPECT_EQ(written("win_obj"), "255");
    EXPECT_EQ(written("Xpos"), "-20");
    EXPECT_EQ(written("cpu3"), "-7");
}

TEST_F(SettingsFile, SaveWritesEveryKeyInOrderUnderItsSpelling) {
    SettingsFileIoOver(SettingsLoad, Fake);
    AppSettings.WindowPos = {-5, 700, 43, 748};
    AppSettings.EchoEffect = 1;
    file.calls.clear();
    EXPECT_TRUE(SettingsFileIoOver(SettingsSave, Fake));
    // Same keys as the load, but the busy switch, which only a hand-edited file holds, is
    // never written.
    std::vector<Call> expected;
    for (const Call& read : LoadOrder) {
        if (read.key == "etc_busy") continue;
        Call c = read;
        c.text = c.text.substr(1);
        expected.push_back(c);
    }
    expected[0].text = "-5";
    expected[1].text = "700";
    expected[20].text = "1";   // etc_yoin
    EXPECT_EQ(file.calls, expected);
}

TEST_F(SettingsFile, OtherModesDoNothingAndAnswerFalse) {
    AppSettings.VolumeLevel = 3;
    for (int mode : {0, 3, 255}) {
        EXPECT_FALSE(SettingsFileIoOver(static_cast<uint8_t>(mode), Fake)) << mode;
    }
    EXPECT_TRUE(file.calls.empty());
    EXPECT_EQ(SettingsPath[0], '\0');
    EXPECT_EQ(AppSettings.VolumeLevel, 3);
}

TEST_F(SettingsFile, DirectoryThatDoesNotFitFallsBackToTheCurrentDirectory) {
    // 300 and 256: the size needed came back (255 characters is one too many); 0: failure.
    for (int64_t answer : {300, 256, 0}) {
        file.directoryAnswer = answer;
        SettingsFileIoOver(SettingsLoad, Fake);
        EXPECT_STREQ(SettingsPath, ".\\tsutsurin.ini") << answer;
    }
}

TEST_F(SettingsFile, LongestDirectoryThatFitsKeepsItsFullPath) {
    file.directory = "C:\\" + std::string(251, 'd');   // 254 characters
    SettingsFileIoOver(SettingsLoad, Fake);
    EXPECT_EQ(std::string(SettingsPath), file.directory + "\\tsutsurin.ini");
}

}  // namespace
