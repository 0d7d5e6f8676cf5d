// The power notices through the main window's procedure, in-process: the display-state notice
// carries a pointer to its setting, which no other process can post.
#include <gtest/gtest.h>
#include <windows.h>
#include "tests/win32/test_window.h"

#include <cstring>

#include "app/presence.h"
#include "app/settings.h"
#include "app/window_win32.h"
#include "sound/effects.h"

namespace {

constexpr WPARAM PowerSettingChange = 0x8013;   // PBT_POWERSETTINGCHANGE
constexpr WPARAM PowerSuspend = 4, PowerResumeAutomatic = 0x12;
constexpr GUID DisplayState = {0x6fe69556, 0x704a, 0x47a0,
                               {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr GUID OtherSetting = {0x245d8541, 0x3943, 0x4422,
                               {0xb0, 0x25, 0x13, 0xa7, 0x84, 0xf6, 0x79, 0xb7}};

// POWERBROADCAST_SETTING with room for a DWORD of data.
struct Notice {
    GUID setting;
    DWORD dataLength;
    DWORD data;
};

int Heartbeats = 0;
constexpr DWORD BeatLimitMs = 10000;
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == HeartbeatTimer) ++Heartbeats;
    return DefWindowProcA(window, message, wParam, lParam);
}

// The heartbeats that come within ms, or only until the first one when untilFirst: a beat
// that is due is waited for, however late a loaded machine brings it.
int HeartbeatsWithin(DWORD ms, bool untilFirst = false) {
    Heartbeats = 0;
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms && !(untilFirst && Heartbeats > 0)) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(10);
    }
    return Heartbeats;
}

TEST(Presence, DisplayAndSleepNoticesPutTheProgramAwayAndBack) {
    AppSettings = {};
    HWND sozu = MakeSozuTestWindow("PresenceSozu", CountingProc);
    ASSERT_NE(sozu, nullptr);
    SetTimer(sozu, HeartbeatTimer, HeartbeatMs, nullptr);
    ASSERT_GT(HeartbeatsWithin(BeatLimitMs, true), 0);

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
        {"suspending", PowerSuspend, {}, 0, 0, true},
        {"resumed", PowerResumeAutomatic, {}, 0, 0, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        Notice notice = {s.setting, s.dataLength, s.data};
        EXPECT_EQ(MainWindowProc(sozu, WM_POWERBROADCAST, s.event,
                                 reinterpret_cast<LPARAM>(&notice)),
                  TRUE);
        EXPECT_EQ(CurrentPresence() == Presence::Away, s.away);
        EXPECT_EQ(SoundAway, s.away ? 1 : 0);
        // Away, nothing wakes the window; back, the heartbeat beats again.
        if (s.away) {
            EXPECT_EQ(HeartbeatsWithin(500), 0);
        } else {
            EXPECT_GT(HeartbeatsWithin(BeatLimitMs, true), 0);
        }
    }
    StopPresence(sozu);
    DestroyWindow(sozu);
    UnregisterClassA("PresenceSozu", GetModuleHandleA(nullptr));
}

}  // namespace
