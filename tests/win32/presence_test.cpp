// Presence through the main window's procedure and the start-up, in-process: the display-state
// notice carries a pointer to its setting, which no other process can post, and the
// registrations are answered by stand-ins in their slots.
#include <gtest/gtest.h>
#include <windows.h>
#include "tests/win32/engine_test_support.h"
#include "tests/win32/test_window.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/about.h"
#include "app/commands.h"
#include "app/presence.h"
#include "base/settings.h"
#include "base/window_win32.h"
#include "res/resource.h"
#include "sim/sim.h"
#include "sound/device_watch.h"
#include "sound/effects.h"
#include "sound/engine.h"
#include "sound/engine_device.h"
#include "sound/engine_state.h"
#include "sound/supinfo.h"
#include "app/startup_win32.h"
#include "app/window_proc_win32.h"

namespace {

using soundtest::LoudSamplesSince;
using soundtest::WaitForCapture;
using soundtest::WaitForSound;

constexpr WPARAM PowerSettingChange = 0x8013;   // PBT_POWERSETTINGCHANGE
constexpr WPARAM PowerSuspend = 4, PowerResumeAutomatic = 0x12;
constexpr WPARAM SessionLock = 7, SessionUnlock = 8;
constexpr GUID DisplayState = {0x6fe69556, 0x704a, 0x47a0,
                               {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr GUID MonitorPower = {0x02731015, 0x4510, 0x4526,
                               {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};
constexpr GUID OtherSetting = {0x245d8541, 0x3943, 0x4422,
                               {0xb0, 0x25, 0x13, 0xa7, 0x84, 0xf6, 0x79, 0xb7}};
constexpr int Left = 100, Top = 100, Side = 48;   // where MakeSozuTestWindow puts it

// POWERBROADCAST_SETTING with room for a DWORD of data.
struct Notice {
    GUID setting;
    DWORD dataLength;
    DWORD data;
};

int Heartbeats = 0;
// The sozu's procedure for the messages presence and the start-up deal in; the heartbeat is
// counted, not run, and the window's end saves nothing.
LRESULT CALLBACK SozuProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        // Counted, and the looks that ride on it kept; the step itself is not run.
        if (wParam == HeartbeatTimer) {
            ++Heartbeats;
            KeepHeartbeat(window);
        }
        return 0;
    case WM_COMMAND:
    case WM_KEYDOWN:
    case WM_DISPLAYCHANGE:
    case WM_WTSSESSION_CHANGE:
    case WM_POWERBROADCAST: return MainWindowProc(window, message, wParam, lParam);
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

int HeartbeatsWithin(DWORD ms) {
    Heartbeats = 0;
    PumpUntil([] { return false; }, ms);
    return Heartbeats;
}

// Whether a heartbeat comes: one that is due is waited for, however late a loaded machine
// brings it.
bool HeartbeatComes() {
    constexpr DWORD BeatLimitMs = 10000;
    Heartbeats = 0;
    return PumpUntil([] { return Heartbeats > 0; }, BeatLimitMs);
}

// Whether the window runs that timer (it does not afterwards).
bool TimerRan(HWND window, UINT_PTR id) { return KillTimer(window, id) != FALSE; }

bool Visible(HWND window) { return IsWindowVisible(window) != FALSE; }

// A stand-in answers in place of the system's call.
template <typename Call>
void Inject(SystemCallSlot& slot, Call call) {
    slot.lookedUp = true;
    slot.address = reinterpret_cast<FARPROC>(reinterpret_cast<void*>(call));
}

int LeftOf(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r.left;
}

class PresenceRun : public ::testing::Test {
protected:
    void SetUp() override {
        Instance = GetModuleHandleA(nullptr);
        MainMenu = LoadMenuA(Instance, MAKEINTRESOURCEA(IDR_MAINMENU));
        SettingsFileIo(SettingsLoad);
        DeleteFileA(SettingsPath);
        AppSettings = {};
        AppSettings.WindowPos = {Left, Top, Left + Side, Top + Side};
        AppSettings.PositionMode = PositionFree;
        AppSettings.VolumeLevel = 1;
        AppSettings.WaterSoundEffect = 1;
        AppSettings.BusyRule = 1;
        for (int32_t& applied : AppliedSettings) applied = -1;
        StreamLevel = 100;   // both water loops sound
        CpuMonitorUnavailable = 1;   // the about dialog's line, without a sampler
        SoundDeviceWatch = {};
        // At (Left, Top), not yet shown, as the start-up finds it.
        sozu = MakeSozuTestWindow("PresenceSozu", SozuProc);
        ASSERT_NE(sozu, nullptr);
        ShowWindow(sozu, SW_HIDE);
        MainWindow = sozu;
    }
    void TearDown() override {
        if (film) CloseFilm();
        StopPresence(sozu);
        StopHeartbeat(sozu);
        SoundEngine::Shutdown();
        SoundAway = SoundBusy = SozuHiddenForBusy = 0;
        SoundMode = SoundModeOff;
        DestroyWindow(sozu);
        UnregisterClassA("PresenceSozu", Instance);
        DestroyMenu(MainMenu);
        DeleteFileA(SettingsPath);
    }
    // A captionless window over the whole screen, in front: a film in full screen, from a
    // thread of its own as another program's would be.
    void ShowFilm() {
        HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        filmThread = CreateThread(nullptr, 0, FilmMain, ready, 0, &filmThreadId);
        WaitForSingleObject(ready, INFINITE);
        CloseHandle(ready);
        film = FindWindowA("TsutsuriTestWindow", "film");
        ASSERT_TRUE(PumpUntil([this] { return GetForegroundWindow() == film; }, 5000));
    }
    void CloseFilm() {
        PostMessageA(film, WM_CLOSE, 0, 0);
        PostThreadMessageA(filmThreadId, WM_QUIT, 0, 0);
        WaitForSingleObject(filmThread, INFINITE);
        CloseHandle(filmThread);
        film = nullptr;
    }
    static DWORD WINAPI FilmMain(void* ready) {
        HWND window = MakeTestWindow(0, 0, GetSystemMetrics(SM_CXSCREEN),
                                     GetSystemMetrics(SM_CYSCREEN), 0, "film");
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        SetEvent(ready);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
        return 0;
    }
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam = 0) {
        return MainWindowProc(sozu, message, wParam, lParam);
    }
    HWND sozu = nullptr;
    HWND film = nullptr;
    HANDLE filmThread = nullptr;
    DWORD filmThreadId = 0;
};

TEST_F(PresenceRun, DisplayAndSleepNoticesPutTheProgramAwayAndBack) {
    StartPresence(sozu);
    ShowAsPresenceAllows(sozu);
    ASSERT_TRUE(HeartbeatComes());

    struct Step {
        const char* what;
        WPARAM event;
        GUID setting;
        DWORD dataLength;
        DWORD data;
        bool away;
    };
    const Step steps[] = {
        {"display off", PowerSettingChange, DisplayState, sizeof(DWORD), 0, true},
        {"dimmed counts as on", PowerSettingChange, DisplayState, sizeof(DWORD), 2, false},
        {"off again", PowerSettingChange, DisplayState, sizeof(DWORD), 0, true},
        {"another setting", PowerSettingChange, OtherSetting, sizeof(DWORD), 1, true},
        {"data too short", PowerSettingChange, DisplayState, 2, 1, true},
        {"display on", PowerSettingChange, DisplayState, sizeof(DWORD), 1, false},
        {"monitor off (Vista, 7)", PowerSettingChange, MonitorPower, sizeof(DWORD), 0, true},
        {"monitor on (Vista, 7)", PowerSettingChange, MonitorPower, sizeof(DWORD), 1, false},
        {"suspending", PowerSuspend, {}, 0, 0, true},
        {"resumed", PowerResumeAutomatic, {}, 0, 0, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        Notice notice = {s.setting, s.dataLength, s.data};
        EXPECT_EQ(Send(WM_POWERBROADCAST, s.event, reinterpret_cast<LPARAM>(&notice)), TRUE);
        EXPECT_EQ(CurrentPresence() == Presence::Away, s.away);
        EXPECT_EQ(SoundAway, s.away ? 1 : 0);
        // Away, nothing wakes the window; back, the heartbeat beats again.
        if (s.away) {
            EXPECT_EQ(HeartbeatsWithin(500), 0);
        } else {
            EXPECT_TRUE(HeartbeatComes());
        }
    }
}

std::vector<GUID> PowerRegistrations;
HANDLE WINAPI RegisterPowerOf7(HANDLE, const GUID* setting, DWORD) {
    PowerRegistrations.push_back(*setting);
    // Windows 7 does not know the console's display state.
    return std::memcmp(setting, &DisplayState, sizeof(GUID)) == 0 ? nullptr
                                                                   : reinterpret_cast<HANDLE>(1);
}

TEST_F(PresenceRun, WhereTheDisplayStateIsUnknownTheMonitorsPowerIsAskedFor) {
    const SystemCallSlot saved = RegisterPowerSlot;
    Inject(RegisterPowerSlot, RegisterPowerOf7);
    StartPresence(sozu);
    RegisterPowerSlot = saved;
    ASSERT_EQ(PowerRegistrations.size(), 2u);
    EXPECT_EQ(std::memcmp(&PowerRegistrations[0], &DisplayState, sizeof(GUID)), 0);
    EXPECT_EQ(std::memcmp(&PowerRegistrations[1], &MonitorPower, sizeof(GUID)), 0);
}

// Started behind a film: never shown, never heard, the device open for the return; a display
// change meanwhile neither moves nor saves the sozu, nor does Escape end it. The film closes:
// the sozu shows where it belongs, the screen read again, with its water.
TEST_F(PresenceRun, StartedBehindAFilmItWaitsHiddenAndSilentAndStill) {
    AppSettings.PositionMode = PositionFreeOnTop;
    ShowFilm();
    StartSozu(sozu);
    EXPECT_EQ(CurrentPresence(), Presence::Busy);
    EXPECT_FALSE(Visible(sozu));
    EXPECT_EQ(GetForegroundWindow(), film);
    ASSERT_NE(Engine.device, nullptr);
    const long mark = soundtest::CaptureSize();
    WaitForCapture(mark, 1.5);
    EXPECT_EQ(LoudSamplesSince(mark), 0u);

    // A monitor gone with a game's change of resolution.
    SetWindowPos(sozu, nullptr, 5000, 5000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Send(WM_DISPLAYCHANGE, 32);
    EXPECT_EQ(LeftOf(sozu), 5000);
    EXPECT_EQ(GetPrivateProfileIntA("Winpos", "Xpos", -1, SettingsPath), -1);
    Send(WM_KEYDOWN, VK_ESCAPE);
    MSG quit;
    EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_FALSE(Visible(sozu));

    CloseFilm();
    ASSERT_TRUE(PumpUntil([this] { return Visible(sozu); }, 3000));
    const int centreX = (GetSystemMetrics(SM_CXSCREEN) - Side) / 2;
    EXPECT_EQ(LeftOf(sozu), centreX);
    EXPECT_EQ(GetPrivateProfileIntA("Winpos", "Xpos", -1, SettingsPath), centreX);
    EXPECT_GT(WaitForSound(soundtest::CaptureSize(), 5000), 2000u);
}

// Started while the screen saver runs: shown without taking the foreground, and nothing
// else; a volume chosen then, and the about dialog opened then, wait too. The saver ends:
// the heartbeat, the chosen volume with the water, and the dialog's line come back.
TEST_F(PresenceRun, StartedUnderTheScreenSaverItOpensNothingUntilTheUserIsBack) {
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, nullptr, 0);
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    ASSERT_TRUE(running) << "this system keeps no screen saver flag";
    StartSozu(sozu);
    EXPECT_EQ(CurrentPresence(), Presence::Away);
    EXPECT_TRUE(Visible(sozu));
    EXPECT_NE(GetForegroundWindow(), sozu);
    EXPECT_EQ(Engine.device, nullptr);
    AboutDialogOpen = 1;
    HWND about = CreateDialogParamA(Instance, MAKEINTRESOURCEA(IDD_ABOUT), sozu, AboutDialogProc,
                                    0);
    ASSERT_NE(about, nullptr);
    Send(WM_COMMAND, IDM_VOL_NORMAL);
    EXPECT_EQ(Engine.device, nullptr);
    EXPECT_TRUE(GetMenuState(MainMenu, IDM_VOL_NORMAL, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(HeartbeatsWithin(500), 0);
    EXPECT_FALSE(TimerRan(sozu, WaterSoundTimer));
    EXPECT_FALSE(TimerRan(about, 100));
    SetDlgItemTextA(about, IDC_CPU_LINE, "-");

    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, nullptr, 0);
    ASSERT_TRUE(PumpUntil([] { return CurrentPresence() == Presence::Here; }, 3000));
    EXPECT_TRUE(HeartbeatComes());
    EXPECT_NE(Engine.device, nullptr);
    EXPECT_EQ(SoundMode, SoundModeEngine);
    EXPECT_GT(WaitForSound(soundtest::CaptureSize(), 5000), 2000u);
    char line[64] = {};
    GetDlgItemTextA(about, IDC_CPU_LINE, line, sizeof line);
    EXPECT_STRNE(line, "-");
    EXPECT_TRUE(TimerRan(about, 100));
    DestroyWindow(about);
    EXPECT_EQ(GetPrivateProfileIntA("RunSts", "snd_vol", -1, SettingsPath), 2);
}

int32_t NoDevice(void*, const DeviceId*, SoundDeviceHandle**) { return DeviceCodes::NoDriver; }

// The device went while nobody was there: the first return writes the failure, and the
// returns after it write nothing more, as the watch's own tries.
TEST_F(PresenceRun, ReturnsWithoutADeviceWriteOneLine) {
    StartPresence(sozu);
    SoundMode = SoundModeEngine;
    const SoundDeviceApi wine = SoundDevice;
    SoundDevice.createDevice = NoDevice;
    DeleteFileA("supinfo.txt");
    ResetSupportLog();
    for (int round = 0; round < 3; ++round) {
        Send(WM_WTSSESSION_CHANGE, SessionLock);
        Send(WM_WTSSESSION_CHANGE, SessionUnlock);
        EXPECT_EQ(Engine.device, nullptr);
    }
    SoundDevice = wine;
    const std::string written = soundtest::ReadText("supinfo.txt");
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 1) << written;
    DeleteFileA("supinfo.txt");
}

int SessionCalls = 0, SessionFailures = 0, SessionUnregistrations = 0;
BOOL WINAPI RegisterSession(HWND, DWORD) { return ++SessionCalls > SessionFailures; }
BOOL WINAPI UnregisterSession(HWND) { return ++SessionUnregistrations; }

// Early at logon the session notices cannot be registered yet: tried again on later looks,
// as often as the bound allows, and undone once only where it held.
TEST_F(PresenceRun, AFailedSessionRegistrationIsTriedAgainABoundedNumberOfTimes) {
    const SystemCallSlot saved[] = {RegisterSessionSlot, UnregisterSessionSlot};
    Inject(RegisterSessionSlot, RegisterSession);
    Inject(UnregisterSessionSlot, UnregisterSession);
    const struct {
        int failures;
        int calls;
        int unregistrations;
    } cases[] = {{3, 4, 1}, {1000, 1 + SessionRegistrationRetries, 0}};
    for (const auto& c : cases) {
        SessionCalls = SessionUnregistrations = 0;
        SessionFailures = c.failures;
        StartPresence(sozu);
        // Every notice looks again; an unlock while unlocked changes nothing else.
        for (int look = 0; look < 2 * SessionRegistrationRetries; ++look) {
            Send(WM_WTSSESSION_CHANGE, SessionUnlock);
        }
        StopPresence(sozu);
        EXPECT_EQ(SessionCalls, c.calls);
        EXPECT_EQ(SessionUnregistrations, c.unregistrations);
    }
    RegisterSessionSlot = saved[0];
    UnregisterSessionSlot = saved[1];
}

}  // namespace
