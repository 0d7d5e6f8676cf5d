// ApplySettings' decisions and the setting commands, over a port that records every call.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/commands.h"
#include "base/settings.h"
#include "display/monitors.h"
#include "base/scale.h"
#include "res/resource.h"
#include "sound/effects.h"

namespace {

struct Recorder {
    std::vector<std::string> log;               // every call, in order
    std::map<int, bool> checked, enabled;       // final state by command id
    std::vector<std::string> writes;            // "Section/key=value"
    int startResult = 0;
};
Recorder* Rec = nullptr;
WindowHandle const TheWindow = reinterpret_cast<WindowHandle>(0x1234);

void Check(int id, bool on) {
    Rec->checked[id] = on;
    Rec->log.push_back((on ? "check " : "uncheck ") + std::to_string(id));
}
void Enable(int id, bool on) {
    Rec->enabled[id] = on;
    Rec->log.push_back((on ? "enable " : "grey ") + std::to_string(id));
}
void Write(const char* section, const char* key, int32_t value) {
    const std::string w = std::string(section) + "/" + key + "=" + std::to_string(value);
    Rec->writes.push_back(w);
    Rec->log.push_back("write " + w);
}
int Start(WindowHandle window) {
    EXPECT_EQ(window, TheWindow);
    Rec->log.push_back("start");
    return Rec->startResult;
}
void Shutdown() { Rec->log.push_back("shutdown"); }
void Volume(uint32_t slot, int32_t volume) {
    Rec->log.push_back("volume " + std::to_string(slot) + " " + std::to_string(volume));
}
void Rewind(uint32_t slot) { Rec->log.push_back("rewind " + std::to_string(slot)); }
int Play(int index) {
    Rec->log.push_back("play " + std::to_string(index));
    return 1;
}
void Timer(WindowHandle window) {
    EXPECT_EQ(window, TheWindow);
    Rec->log.push_back("timer3");
}

// The last entry guards the table: a read past index 3 would pick it up.
const int32_t Volumes[5] = {0, 0, -500, -1000, 77777};
constexpr ApplyPort Port = {Check, Enable, Write, Start, Shutdown, Volume, Rewind, Play, Timer,
                            Volumes};

AppSettingsRecord Defaults() {
    AppSettingsRecord s = {};
    s.WaterSource = 1;
    s.Sensitivity = 2;
    s.VolumeLevel = 2;
    s.WaterSoundEffect = 1;
    s.DropsEffect = 1;
    s.InstantMeterShown = 1;
    s.CumulativeMeterShown = 1;
    s.MeterTint = 2;
    return s;
}

class Apply : public ::testing::Test {
protected:
    void SetUp() override {
        rec = Recorder{};
        Rec = &rec;
        AppSettings = Defaults();
        SoundMode = -1;
        std::fill(std::begin(AppliedSettings), std::end(AppliedSettings), -1);
    }
    void TearDown() override { Rec = nullptr; }
    // Applies once at start-up, then forgets what that recorded.
    void StartUp() {
        ApplySettingsOver(TheWindow, Port);
        rec = Recorder{};
    }
    bool Has(const std::string& entry) const {
        return std::find(rec.log.begin(), rec.log.end(), entry) != rec.log.end();
    }
    std::vector<std::string> Only(std::initializer_list<const char*> prefixes) const {
        std::vector<std::string> out;
        for (const auto& e : rec.log) {
            for (const char* p : prefixes) {
                if (e.rfind(p, 0) == 0) out.push_back(e);
            }
        }
        return out;
    }
    Recorder rec;
};

TEST_F(Apply, FirstCallWritesAllTenKeysInOrder) {
    ApplySettingsOver(TheWindow, Port);
    const std::vector<std::string> expected = {
        "Runsts/win_obj=1",   "Runsts/frn_kan=2",  "RunSts/snd_vol=2",  "Runsts/posmode=0",
        "Runsts/etc_water=1", "Runsts/etc_sizuk=1", "Runsts/etc_yoin=0", "Runsts/mem_rel=1",
        "Runsts/mem_sum=1",   "Runsts/mem_col=2"};
    EXPECT_EQ(rec.writes, expected);
    EXPECT_EQ(SoundMode, SoundModeEngine);
    // Start-up with sound and water sound on: both steps start the loops and timer 3.
    EXPECT_EQ(Only({"start", "volume", "timer3", "play"}),
              (std::vector<std::string>{"start", "volume 0 -500", "volume 1 -500",
                                        "volume 2 -500", "timer3", "play 3", "play 4",
                                        "timer3", "play 3", "play 4"}));
    // Each group marks exactly its value.
    for (int id : {IDM_SOURCE_CUMULATIVE, IDM_SENS_2, IDM_VOL_NORMAL, IDM_POS_PERCH,
                   IDM_WATER_SOUND, IDM_DROPS, IDM_METER_INSTANT, IDM_METER_CUMULATIVE,
                   IDM_TINT_STANDARD}) {
        EXPECT_TRUE(rec.checked.at(id)) << id;
    }
    for (int id : {IDM_SOURCE_INSTANT, IDM_SOURCE_RANDOM, IDM_SENS_0, IDM_SENS_5, IDM_VOL_OFF,
                   IDM_VOL_LOUD, IDM_POS_FREE, IDM_POS_FREE_TOPMOST, IDM_ECHO, IDM_TINT_DARK}) {
        EXPECT_FALSE(rec.checked.at(id)) << id;
    }
}

TEST_F(Apply, EachCommandWritesOnlyItsKeyAndTheMarkedItemNothing) {
    StartUp();
    struct Case { int id; const char* write; } cases[] = {
        {IDM_SOURCE_INSTANT, "Runsts/win_obj=0"},   {IDM_SOURCE_RANDOM, "Runsts/win_obj=2"},
        {IDM_SENS_5, "Runsts/frn_kan=5"},           {IDM_VOL_QUIET, "RunSts/snd_vol=3"},
        {IDM_POS_FREE_TOPMOST, "Runsts/posmode=2"}, {IDM_WATER_SOUND, "Runsts/etc_water=0"},
        {IDM_DROPS, "Runsts/etc_sizuk=0"},          {IDM_ECHO, "Runsts/etc_yoin=1"},
        {IDM_METER_INSTANT, "Runsts/mem_rel=0"},    {IDM_METER_CUMULATIVE, "Runsts/mem_sum=0"},
        {IDM_TINT_BRIGHT, "Runsts/mem_col=0"},
    };
    for (const auto& c : cases) {
        rec = Recorder{};
        ASSERT_TRUE(ChangeSettingForCommand(c.id));
        ApplySettingsOver(TheWindow, Port);
        EXPECT_EQ(rec.writes, std::vector<std::string>{c.write}) << c.id;
        EXPECT_TRUE(c.id == IDM_WATER_SOUND || c.id == IDM_METER_INSTANT ||
                    c.id == IDM_METER_CUMULATIVE || c.id == IDM_DROPS || rec.checked.at(c.id))
            << c.id;
    }
    // The same choice again: the item is already marked.
    for (int id : {IDM_SOURCE_RANDOM, IDM_VOL_QUIET, IDM_TINT_BRIGHT}) {
        rec = Recorder{};
        ChangeSettingForCommand(id);
        ApplySettingsOver(TheWindow, Port);
        EXPECT_TRUE(rec.log.empty()) << id;
    }
}

TEST_F(Apply, OutOfRangeValuesMarkNothingAndAreWrittenBack) {
    AppSettings.WaterSource = 3;
    AppSettings.Sensitivity = 6;
    AppSettings.PositionMode = 9;
    AppSettings.MeterTint = 3;
    AppSettings.DropsEffect = 5;
    ApplySettingsOver(TheWindow, Port);
    for (int id : {IDM_SOURCE_INSTANT, IDM_SOURCE_CUMULATIVE, IDM_SOURCE_RANDOM, IDM_SENS_0,
                   IDM_SENS_5, IDM_POS_PERCH, IDM_POS_FREE, IDM_TINT_BRIGHT, IDM_TINT_STANDARD,
                   IDM_DROPS}) {
        EXPECT_EQ(rec.checked.count(id), 0u) << id;
    }
    for (const char* w : {"Runsts/win_obj=3", "Runsts/frn_kan=6", "Runsts/posmode=9",
                          "Runsts/mem_col=3", "Runsts/etc_sizuk=5"}) {
        EXPECT_TRUE(Has(std::string("write ") + w)) << w;
    }
}

// A drag leaves Dragging set until the pointer passes over the free window's lower part; a
// window perched before that must not keep it, or every later tip would be silent.
TEST_F(Apply, PerchingEndsADragThatFreePlacementsKeep) {
    struct Case { uint8_t before; int command; int32_t dragging; } cases[] = {
        {1, IDM_POS_PERCH, 0},        {2, IDM_POS_PERCH, 0},       {3, IDM_POS_PERCH, 0},
        {1, IDM_POS_FREE_TOPMOST, 1}, {2, IDM_POS_FREE, 1},        {0, IDM_POS_FREE, 1},
        {1, IDM_POS_FREE, 1},   // the same choice again: nothing applied
    };
    for (const auto& c : cases) {
        AppSettings.PositionMode = c.before;
        StartUp();
        Dragging = 1;
        ChangeSettingForCommand(c.command);
        ApplySettingsOver(TheWindow, Port);
        EXPECT_EQ(Dragging, c.dragging) << int(c.before) << " then " << c.command;
    }
    Dragging = 0;
}

// Nobody there: a volume (or the water) chosen marks the menu and is written, but opens no
// device and starts no timer; back, the last volume is carried out once, as if chosen then.
TEST_F(Apply, AwayTheChosenVolumeWaitsForTheReturn) {
    StartUp();
    SoundAway = 1;
    for (int id : {IDM_VOL_OFF, IDM_WATER_SOUND, IDM_WATER_SOUND, IDM_VOL_LOUD}) {
        ChangeSettingForCommand(id);
        ApplySettingsOver(TheWindow, Port);
    }
    EXPECT_TRUE(Only({"start", "shutdown", "volume", "timer3", "play"}).empty());
    EXPECT_TRUE(rec.checked.at(IDM_VOL_LOUD));
    EXPECT_FALSE(rec.checked.at(IDM_VOL_OFF));
    EXPECT_TRUE(Has("write RunSts/snd_vol=1"));
    EXPECT_FALSE(ApplyWaitingVolumeOver(TheWindow, Port));   // still away
    SoundAway = 0;
    rec = Recorder{};
    EXPECT_TRUE(ApplyWaitingVolumeOver(TheWindow, Port));
    EXPECT_EQ(Only({"start", "volume", "timer3", "play"}),
              (std::vector<std::string>{"start", "volume 0 0", "volume 1 0", "volume 2 0",
                                        "timer3", "play 3", "play 4"}));
    EXPECT_TRUE(rec.writes.empty());
    EXPECT_FALSE(ApplyWaitingVolumeOver(TheWindow, Port));
}

TEST_F(Apply, EngineFailureGreysAndSwitchesTheWaterSoundOff) {
    for (uint8_t level : {2, 0}) {
        SetUp();
        AppSettings.VolumeLevel = level;
        rec.startResult = 1;
        ApplySettingsOver(TheWindow, Port);
        for (int id : {IDM_VOL_LOUD, IDM_VOL_NORMAL, IDM_VOL_QUIET, IDM_WATER_SOUND}) {
            EXPECT_FALSE(rec.enabled.at(id)) << id;
        }
        EXPECT_EQ(rec.enabled.count(IDM_VOL_OFF), 0u);
        EXPECT_EQ(SoundMode, level == 0 ? SoundModeOff : SoundModeSimple);
        EXPECT_EQ(AppSettings.WaterSoundEffect, 0);
        EXPECT_TRUE(Has("write Runsts/etc_water=0"));
        EXPECT_FALSE(rec.checked.at(IDM_WATER_SOUND));
        EXPECT_TRUE(Only({"timer3", "play"}).empty());
        EXPECT_EQ(Only({"start", "shutdown"}).at(1), "shutdown");
    }
    // The greying outlives the call: choosing OFF with a working engine enables only the
    // volume choices, never the water sound.
    rec.startResult = 0;
    ChangeSettingForCommand(IDM_VOL_LOUD);
    ApplySettingsOver(TheWindow, Port);
    EXPECT_TRUE(rec.enabled.at(IDM_VOL_LOUD));
    EXPECT_FALSE(rec.enabled.at(IDM_WATER_SOUND));
}

TEST_F(Apply, OffStartsTheEngineThenShutsItDown) {
    StartUp();
    ChangeSettingForCommand(IDM_VOL_OFF);
    ApplySettingsOver(TheWindow, Port);
    EXPECT_EQ(Only({"start", "shutdown", "volume", "play", "timer3"}),
              (std::vector<std::string>{"start", "shutdown"}));
    EXPECT_EQ(SoundMode, SoundModeOff);
    EXPECT_TRUE(rec.checked.at(IDM_VOL_OFF));
    EXPECT_FALSE(rec.checked.at(IDM_VOL_NORMAL));
    EXPECT_TRUE(rec.enabled.at(IDM_VOL_LOUD));
    EXPECT_EQ(rec.writes, std::vector<std::string>{"RunSts/snd_vol=0"});
}

TEST_F(Apply, VolumeOutsideTheTableTakesTheNormalVolume) {
    for (uint8_t level : {4, 200, 255}) {
        SetUp();
        AppSettings.VolumeLevel = level;
        ApplySettingsOver(TheWindow, Port);
        EXPECT_EQ(Only({"volume"}), (std::vector<std::string>{"volume 0 -500", "volume 1 -500",
                                                              "volume 2 -500"}));
        EXPECT_EQ(rec.checked.count(IDM_VOL_OFF), 0u);   // no mark for an unknown level
        EXPECT_TRUE(Has("write RunSts/snd_vol=" + std::to_string(level)));
    }
    struct Case { uint8_t level; int32_t volume; } cases[] = {{1, 0}, {2, -500}, {3, -1000}};
    for (const auto& c : cases) EXPECT_EQ(EngineVolumeFor(Volumes, c.level), c.volume);
}

TEST_F(Apply, WaterSoundSwitch) {
    StartUp();
    ChangeSettingForCommand(IDM_WATER_SOUND);
    ApplySettingsOver(TheWindow, Port);
    EXPECT_EQ(rec.log, (std::vector<std::string>{"uncheck 40032", "rewind 3", "rewind 4",
                                                 "write Runsts/etc_water=0"}));
    rec = Recorder{};
    ChangeSettingForCommand(IDM_WATER_SOUND);
    ApplySettingsOver(TheWindow, Port);
    EXPECT_EQ(rec.log, (std::vector<std::string>{"check 40032", "timer3", "play 3", "play 4",
                                                 "write Runsts/etc_water=1"}));
}

TEST(Commands, SettingCommandsAndToggles) {
    AppSettings = Defaults();
    struct Case { int id; const uint8_t* field; uint8_t before, after; } cases[] = {
        {IDM_SOURCE_RANDOM, &AppSettings.WaterSource, 1, 2},
        {IDM_SOURCE_CUMULATIVE, &AppSettings.WaterSource, 0, 1},
        {IDM_SENS_0, &AppSettings.Sensitivity, 2, 0},
        {IDM_SENS_4, &AppSettings.Sensitivity, 2, 4},
        {IDM_VOL_LOUD, &AppSettings.VolumeLevel, 0, 1},
        {IDM_VOL_OFF, &AppSettings.VolumeLevel, 2, 0},
        {IDM_POS_FREE, &AppSettings.PositionMode, 0, 1},
        {IDM_TINT_DARK, &AppSettings.MeterTint, 2, 1},
        {IDM_ECHO, &AppSettings.EchoEffect, 0, 1},
        {IDM_ECHO, &AppSettings.EchoEffect, 5, 0},   // any stored non-zero toggles to 0
        {IDM_WATER_SOUND, &AppSettings.WaterSoundEffect, 1, 0},
        {IDM_METER_CUMULATIVE, &AppSettings.CumulativeMeterShown, 255, 0},
    };
    for (const auto& c : cases) {
        *const_cast<uint8_t*>(c.field) = c.before;
        EXPECT_TRUE(ChangeSettingForCommand(c.id)) << c.id;
        EXPECT_EQ(*c.field, c.after) << c.id;
    }
    const AppSettingsRecord before = AppSettings;
    for (int id : {IDM_EXIT, IDM_ABOUT, IDM_HELP, 40000, 40053, 0}) {
        EXPECT_FALSE(ChangeSettingForCommand(id)) << id;
    }
    EXPECT_EQ(0, std::memcmp(&before, &AppSettings, sizeof before));
}

TEST(Commands, WindowCountsAsOnScreenWhileItsCentreIs) {
    struct Case { ScreenRect r; bool on; } cases[] = {
        {{0, 0, 48, 48}, true},
        {{1000, 100, 1048, 148}, true},     // centre at the right edge: stays
        {{1001, 100, 1049, 148}, false},    // centre one pixel beyond
        {{-24, -24, 24, 24}, true},
        {{-25, 0, 23, 48}, false},
        {{100, 745, 148, 793}, false},      // centre below a 768-high screen
        {{100, 744, 148, 792}, true},
    };
    for (const auto& c : cases) {
        // One screen of 1024 x 768, as the one monitor; a sozu off it comes to its centre.
        const MonitorArea screen = {{0, 0, 1024, 768}, {0, 0, 1024, 768}, BaseDpi};
        const ScreenPoint at = OntoMonitors({c.r.left, c.r.top}, 48, &screen, 1);
        EXPECT_EQ(at.x == c.r.left && at.y == c.r.top, c.on) << c.r.left << "," << c.r.top;
        if (!c.on) {
            EXPECT_EQ(at.x, (1024 - 48) / 2) << c.r.left;
            EXPECT_EQ(at.y, (768 - 48) / 2) << c.r.left;
        }
    }
}

}  // namespace
