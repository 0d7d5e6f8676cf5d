// The menu commands on the real menu 111 and the real settings file: each command changes its
// setting, its marks and exactly its key.
#include <gtest/gtest.h>
#include <windows.h>
#include "tests/win32/test_window.h"
#include <mmsystem.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "app/commands_win32.h"
#include "app/commands.h"
#include "base/settings.h"
#include "base/window_win32.h"
#include "res/resource.h"
#include "sim/sim.h"
#include "tests/win32/engine_test_support.h"

namespace {

// "section/key" (section in lower case: the file's sections match without regard to case)
// to value text.
using Keys = std::map<std::string, std::string>;

Keys ReadKeys() {
    Keys keys;
    std::ifstream in(SettingsPath);
    std::string section;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line[0] == '[') {
            section = line.substr(1, line.size() - 2);
            std::transform(section.begin(), section.end(), section.begin(), ::tolower);
            continue;
        }
        const auto eq = line.find('=');
        keys[section + "/" + line.substr(0, eq)] = line.substr(eq + 1);
    }
    return keys;
}

std::string FirstLine() {
    std::ifstream in(SettingsPath);
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

bool Checked(int id) { return GetMenuState(MainMenu, id, MF_BYCOMMAND) & MF_CHECKED; }
bool Greyed(int id) { return GetMenuState(MainMenu, id, MF_BYCOMMAND) & MF_GRAYED; }

HWND MakeWindow() { return MakeTestWindow(100, 100, 48, 48); }

// The sound items as the engine's last start left them: the session's sound device lets the
// engine start in this process; the child below, which has no device, sees the other case.
void ExpectSoundItems(bool engineStarted, bool volumeOff) {
    for (int id : {IDM_VOL_LOUD, IDM_VOL_NORMAL, IDM_VOL_QUIET}) {
        EXPECT_EQ(Greyed(id), !engineStarted) << id;
    }
    EXPECT_FALSE(Greyed(IDM_VOL_OFF));
    EXPECT_EQ(Greyed(IDM_WATER_SOUND), !engineStarted);
    EXPECT_EQ(SoundMode, volumeOff        ? SoundModeOff
                         : engineStarted ? SoundModeEngine
                                         : SoundModeSimple);
    if (!engineStarted) {
        EXPECT_FALSE(Checked(IDM_WATER_SOUND));
        EXPECT_EQ(ReadKeys()["runsts/etc_water"], "0");
    }
}

class Commands : public ::testing::Test {
protected:
    void SetUp() override {
        Instance = GetModuleHandleA(nullptr);
        MainMenu = LoadMenuA(Instance, MAKEINTRESOURCEA(IDR_MAINMENU));
        ASSERT_NE(MainMenu, nullptr);
        PopupMenu = GetSubMenu(MainMenu, 0);
        window = MakeWindow();
        ASSERT_NE(window, nullptr);
        MainWindow = window;
        SettingsFileIo(SettingsLoad);
        DeleteFileA(SettingsPath);
        SettingsFileIo(SettingsLoad);   // every default
        std::fill(std::begin(AppliedSettings), std::end(AppliedSettings), -1);
    }
    void TearDown() override {
        if (IsWindow(window)) DestroyWindow(window);
        DestroyMenu(MainMenu);
        DeleteFileA(SettingsPath);
    }
    HWND window = nullptr;
};

TEST_F(Commands, FirstApplicationCreatesTheFileWithTheRunStateSectionFirst) {
    ApplySettings(window);
    EXPECT_EQ(FirstLine(), "[Runsts]");
    EXPECT_EQ(ReadKeys().size(), 10u);
    EXPECT_TRUE(Checked(IDM_SOURCE_CUMULATIVE));
    EXPECT_FALSE(Checked(IDM_SOURCE_INSTANT));   // the template's mark is cleared
    EXPECT_TRUE(Checked(IDM_VOL_NORMAL));
    EXPECT_TRUE(Checked(IDM_DROPS));
    ExpectSoundItems(true, false);
    // Shutdown adds the other sections after it.
    SettingsFileIo(SettingsSave);
    EXPECT_EQ(FirstLine(), "[Runsts]");
    EXPECT_EQ(ReadKeys().size(), 2u + 10u + 12u + 1u);
}

TEST_F(Commands, EachCommandChangesItsSettingItsMarksAndExactlyItsKey) {
    ApplySettings(window);
    // value: the key's new text, or nullptr for a switch, which flips; unmarked: the item of
    // the group that loses its mark.
    struct Case { int id; const char* key; const char* value; int unmarked; } cases[] = {
        {IDM_SOURCE_INSTANT, "runsts/win_obj", "0", IDM_SOURCE_CUMULATIVE},
        {IDM_SOURCE_RANDOM, "runsts/win_obj", "2", IDM_SOURCE_INSTANT},
        {IDM_SOURCE_CUMULATIVE, "runsts/win_obj", "1", IDM_SOURCE_RANDOM},
        {IDM_SENS_0, "runsts/frn_kan", "0", IDM_SENS_2},
        {IDM_SENS_5, "runsts/frn_kan", "5", IDM_SENS_0},
        {IDM_VOL_LOUD, "runsts/snd_vol", "1", IDM_VOL_NORMAL},
        {IDM_VOL_QUIET, "runsts/snd_vol", "3", IDM_VOL_LOUD},
        {IDM_VOL_OFF, "runsts/snd_vol", "0", IDM_VOL_QUIET},
        {IDM_POS_FREE, "runsts/posmode", "1", IDM_POS_PERCH},
        {IDM_POS_FREE_TOPMOST, "runsts/posmode", "2", IDM_POS_FREE},
        {IDM_POS_PERCH, "runsts/posmode", "0", IDM_POS_FREE_TOPMOST},
        {IDM_TINT_BRIGHT, "runsts/mem_col", "0", IDM_TINT_STANDARD},
        {IDM_TINT_DARK, "runsts/mem_col", "1", IDM_TINT_BRIGHT},
        {IDM_ECHO, "runsts/etc_yoin", nullptr, 0},
        {IDM_DROPS, "runsts/etc_sizuk", nullptr, 0},
        {IDM_METER_INSTANT, "runsts/mem_rel", nullptr, 0},
        {IDM_METER_CUMULATIVE, "runsts/mem_sum", nullptr, 0},
        {IDM_WATER_SOUND, "runsts/etc_water", nullptr, 0},
        {IDM_WATER_SOUND, "runsts/etc_water", nullptr, 0},
    };
    for (const auto& c : cases) {
        Keys expected = ReadKeys();
        const std::string value = c.value ? c.value : expected[c.key] == "0" ? "1" : "0";
        expected[c.key] = value;
        EXPECT_EQ(OnCommand(window, c.id, 0), 0) << c.id;
        EXPECT_EQ(ReadKeys(), expected) << c.id;
        EXPECT_EQ(Checked(c.id), c.value || value == "1") << c.id;
        if (c.unmarked) {
            EXPECT_FALSE(Checked(c.unmarked)) << c.id;
        }
    }
    EXPECT_EQ(SoundMode, SoundModeOff);
    ExpectSoundItems(true, true);
    KillTimer(window, WaterSoundTimer);
    // Random chosen again: nothing to write, but the generator is seeded anew.
    const Keys before = ReadKeys();
    for (int i = 0; i < 2; ++i) {
        SeedRandom(1);
        // Seeded from the millisecond clock: a reading between the two around the command.
        const DWORD from = timeGetTime();
        OnCommand(window, IDM_SOURCE_RANDOM, 0);
        EXPECT_LE(RandomSeed - from, timeGetTime() - from);
    }
    Keys expected = before;
    expected["runsts/win_obj"] = "2";
    EXPECT_EQ(ReadKeys(), expected);
}

// Identifiers beside the menu's own, and far from them, change nothing: no setting, no key,
// no mark. (What the default procedure then answers is the platform's affair.)
TEST_F(Commands, UnknownIdentifiersChangeNothing) {
    ApplySettings(window);
    const Keys before = ReadKeys();
    const AppSettingsRecord settings = AppSettings;
    std::map<int, UINT> states;
    for (int id = IDM_EXIT; id <= IDM_ECHO; ++id) states[id] = GetMenuState(MainMenu, id, MF_BYCOMMAND);
    for (int id : {IDM_EXIT - 1, IDM_EXIT + 1, 40053, IDM_ECHO + 1, 0, 12345, 0xFFFF}) {
        OnCommand(window, MAKEWPARAM(id, 0), 0);
    }
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(ReadKeys(), before);
    EXPECT_EQ(0, memcmp(&settings, &AppSettings, sizeof settings));
    for (const auto& state : states) {
        EXPECT_EQ(GetMenuState(MainMenu, state.first, MF_BYCOMMAND), state.second) << state.first;
    }
}

TEST_F(Commands, VolumeChoicesFollowEachStartOfTheEngine) {
    AppSettings.VolumeLevel = 1;
    ApplySettings(window);
    ExpectSoundItems(true, false);
    EXPECT_TRUE(Checked(IDM_VOL_LOUD));
    OnCommand(window, IDM_VOL_OFF, 0);
    EXPECT_TRUE(Checked(IDM_VOL_OFF));
    ExpectSoundItems(true, true);
}

// Run in a child whose Wine has no sound driver, so the engine cannot start.
TEST_F(Commands, WithoutSoundDeviceChild) {
    if (!soundtest::IsNoSoundChild()) GTEST_SKIP() << "runs as the child of the test below";
    ApplySettings(window);   // the volume is normal and the water sound on
    ExpectSoundItems(false, false);
    OnCommand(window, IDM_VOL_OFF, 0);
    ExpectSoundItems(false, true);   // only a start that works enables them again
}

TEST(CommandsWithoutSound, EngineThatCannotStartGreysTheSoundItems) {
    if (soundtest::IsNoSoundChild()) GTEST_SKIP();
    EXPECT_EQ(soundtest::RunWithoutSoundDevice("commands_nosound.exe",
                                               "Commands.WithoutSoundDeviceChild"),
              0u);
}

// Switched on, the water's timer 3 runs on the window where the engine loops the water, and
// not with the volume off, where it would only wake the thread.
TEST_F(Commands, WaterSoundSwitchedOnStartsTimerThreeWhereTheLoopsPlay) {
    for (uint8_t volume : {0, 2}) {
        AppSettings.WaterSoundEffect = 0;
        AppSettings.VolumeLevel = volume;
        ApplySettings(window);
        EXPECT_FALSE(KillTimer(window, WaterSoundTimer));
        OnCommand(window, IDM_WATER_SOUND, 0);
        const bool looping = volume != 0 && SoundMode == SoundModeEngine;
        EXPECT_EQ(KillTimer(window, WaterSoundTimer) != FALSE, looping) << int(volume);
    }
}

TEST_F(Commands, FreePlacementBringsAnOffScreenWindowBack) {
    ApplySettings(window);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    struct Case { int left, top, expectedLeft, expectedTop; int id; bool topmost; } cases[] = {
        {width - 24, 100, width - 24, 100, IDM_POS_FREE, false},   // centre on the right edge
        {width - 23, 100, (width - 48) / 2, (height - 48) / 2, IDM_POS_FREE_TOPMOST, true},
        {-30, -30, (width - 48) / 2, (height - 48) / 2, IDM_POS_FREE, false},
        {10, 20, 10, 20, IDM_POS_FREE_TOPMOST, true},
    };
    for (const auto& c : cases) {
        SetWindowPos(window, HWND_NOTOPMOST, c.left, c.top, 48, 48, SWP_NOACTIVATE);
        OnCommand(window, c.id, 0);
        RECT r = {};
        GetWindowRect(window, &r);
        EXPECT_EQ(r.left, c.expectedLeft) << c.left;
        EXPECT_EQ(r.top, c.expectedTop) << c.left;
        EXPECT_EQ((GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, c.topmost)
            << c.left;
    }
}

// The menu tracks at the cursor; a keyboard choice arrives at the window as WM_COMMAND.
UINT ChosenCommand = 0;
LRESULT CALLBACK RecordCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) ChosenCommand = LOWORD(wParam);
    return DefWindowProcA(window, message, wParam, lParam);
}
void CALLBACK ChooseLastItem(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    // From nothing selected, Up selects the last item: the exit command.
    for (WPARAM key : {WPARAM(VK_UP), WPARAM(VK_RETURN)}) {
        keybd_event(static_cast<BYTE>(key), 0, 0, 0);
        keybd_event(static_cast<BYTE>(key), 0, KEYEVENTF_KEYUP, 0);
    }
}

TEST_F(Commands, PopupMenuDeliversTheChosenCommand) {
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordCommand));
    ShowWindow(window, SW_SHOW);
    SetTimer(nullptr, 0, 300, ChooseLastItem);
    ShowPopupMenu(window);
    PumpUntil([] { return ChosenCommand != 0; }, 5000);
    EXPECT_EQ(ChosenCommand, UINT(IDM_EXIT));
    EXPECT_EQ(GetForegroundWindow(), window);
}

TEST_F(Commands, ExitDestroysTheWindowAndHelpReportsNothing) {
    EXPECT_EQ(OnCommand(window, IDM_HELP, 0), 0);   // no help folder here: silently nothing
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(OnCommand(window, IDM_EXIT, 0), 0);
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
