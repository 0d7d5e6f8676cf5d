// Presence from the system's side: the session and power notices, one look a second at the
// shell's state and the window in front, and each change of state carried out once.
#include "app/presence.h"

#include <windows.h>
#include <cstring>

#include "app/settings.h"
#include "app/system_win32.h"
#include "app/tray.h"
#include "app/window_win32.h"
#include "display/placement.h"
#include "display/scale.h"
#include "sound/effects.h"
#include "sound/engine.h"

namespace {

// The session notices (XP on), from wtsapi32, which older systems lack: looked up in the
// system folder's copy.
using RegisterSessionCall = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterSessionCall = BOOL(WINAPI*)(HWND);
constexpr char WtsLibrary[] = "wtsapi32.dll";
constexpr DWORD NotifyForThisSession = 0;   // NOTIFY_FOR_THIS_SESSION
SystemCallSlot RegisterSessionSlot = {WtsLibrary, "WTSRegisterSessionNotification",
                                      LibrarySource::SystemFolder, false, nullptr};
SystemCallSlot UnregisterSessionSlot = {WtsLibrary, "WTSUnRegisterSessionNotification",
                                        LibrarySource::SystemFolder, false, nullptr};

// The display's power notices (Vista on), in user32.
using RegisterPowerCall = HANDLE(WINAPI*)(HANDLE, const GUID*, DWORD);
using UnregisterPowerCall = BOOL(WINAPI*)(HANDLE);
constexpr DWORD NotifyWindowHandle = 0;   // DEVICE_NOTIFY_WINDOW_HANDLE
SystemCallSlot RegisterPowerSlot = {User32Library, "RegisterPowerSettingNotification",
                                    LibrarySource::AlreadyLoaded, false, nullptr};
SystemCallSlot UnregisterPowerSlot = {User32Library, "UnregisterPowerSettingNotification",
                                      LibrarySource::AlreadyLoaded, false, nullptr};

// The shell's word on the user (Vista on), in shell32.
using ShellStateCall = HRESULT(WINAPI*)(int32_t*);
SystemCallSlot ShellStateSlot = {Shell32Library, "SHQueryUserNotificationState",
                                 LibrarySource::AlreadyLoaded, false, nullptr};

// GUID_CONSOLE_DISPLAY_STATE: its data is a DWORD, 0 off, 1 on, 2 dimmed.
constexpr GUID DisplayStateSetting = {0x6fe69556, 0x704a, 0x47a0,
                                      {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr DWORD DisplayOff = 0;

// The session and power events, which the headers give only for newer targets.
enum : WPARAM {
    ConsoleConnect = 1, ConsoleDisconnect = 2, RemoteConnect = 3, RemoteDisconnect = 4,
    SessionLock = 7, SessionUnlock = 8,
};
enum : WPARAM {
    PowerSuspend = 4, PowerResumeSuspend = 7, PowerResumeAutomatic = 0x12,
    PowerSettingChange = 0x8013,
};
// POWERBROADCAST_SETTING: the setting, the length of its data, the data.
struct PowerSettingNotice {
    GUID setting;
    DWORD dataLength;
    unsigned char data[1];
};

PresenceSignals Signals = {false, false, false, false, ShellStateUnknown, false, true};
Presence Applied = Presence::Here;
bool SessionRegistered = false;
HANDLE DisplayNotices = nullptr;
bool Looking = false;

int32_t ShellState() {
    const auto query = SystemCall<ShellStateCall>(ShellStateSlot);
    int32_t state = ShellStateUnknown;
    if (!query || FAILED(query(&state))) return ShellStateUnknown;
    return state;
}

ForegroundFacts ReadForeground() {
    ForegroundFacts facts = {};
    HWND front = GetForegroundWindow();
    RECT r = {};
    if (!front || !GetWindowRect(front, &r)) return facts;
    facts.exists = true;
    DWORD process = 0;
    GetWindowThreadProcessId(front, &process);
    facts.ours = process == GetCurrentProcessId();
    char className[16] = {};   // long enough for the shell's names; longer ones are cut
    GetClassNameA(front, className, sizeof className);
    facts.shell = ShellWindowClass(className);
    const LONG style = GetWindowLongA(front, GWL_STYLE);
    facts.captioned = (style & WS_CAPTION) == WS_CAPTION;
    facts.rect = {r.left, r.top, r.right, r.bottom};
    return facts;
}

void CALLBACK PresenceTimerProc(HWND window, UINT, UINT_PTR, DWORD);

// The one-a-second look is needed unless a message put the user away: its end comes as a
// message too, and until then nothing wakes the program.
void KeepLookingAsNeeded(HWND window) {
    const bool wanted = !AwayByMessages(Signals);
    if (wanted == Looking) return;
    Looking = wanted;
    if (wanted) {
        SetTimer(window, PresenceTimer, PresenceLookMs, PresenceTimerProc);
    } else {
        KillTimer(window, PresenceTimer);
    }
}

void Silence() {
    SoundBusy = 1;
    if (SoundMode != SoundModeEngine) return;
    for (uint32_t slot = 0; slot < SoundEffectCount; ++slot) SoundEngine::RewindSample(slot);
}

void HideForBusy(HWND window) {
    if (SozuHiddenForBusy) return;
    SozuHiddenForBusy = 1;
    ShowWindow(window, SW_HIDE);
}

// Back in sight where it was. The about dialog, while open, keeps it hidden and shows it
// itself when it closes.
void ShowAfterBusy(HWND window) {
    if (!SozuHiddenForBusy) return;
    SozuHiddenForBusy = 0;
    if (AboutDialogOpen != 1) ShowWindow(window, SW_SHOWNA);
}

// Nobody there: no heartbeat, no water timer, no watch over the output, and no open sound
// device.
void GoAway(HWND window) {
    StopPresentTimers(window);
    SoundAway = 1;
    SoundEngine::Shutdown();
}

// Someone back: the heartbeat and the sound as the settings say, the tray icon in case the
// shell lost it meanwhile, and the screen as it is now (a monitor may have gone).
void ComeBack(HWND window) {
    StartPresentTimers(window);
    if (AppSettings.WaterSoundEffect == 1) {
        SetTimer(window, WaterSoundTimer, WaterSoundMs, WaterSoundTimerProc);
    }
    SoundAway = 0;
    RestartSoundEngine(window);
    RestoreTrayIcon();
    MeasureScreenAndTaskbar();
    KeepFreeSozuOnMonitors(window, DisplayScale.side);
}

// Carries out a change of state, once; the same state again does nothing.
void Apply(HWND window) {
    KeepLookingAsNeeded(window);
    const Presence next = DecidePresence(Signals);
    if (next == Applied) return;
    const Presence before = Applied;
    Applied = next;
    if (next == Presence::Busy) {
        Silence();
        HideForBusy(window);
    } else {
        SoundBusy = 0;
    }
    if (before == Presence::Away) ComeBack(window);
    if (next == Presence::Away) GoAway(window);
    if (next == Presence::Here) {
        ShowAfterBusy(window);
        if (before == Presence::Busy) StartWaterLoops();
    }
}

void Look(HWND window) {
    Signals.shellState = ShellState();
    int32_t count = 0;
    const MonitorArea* monitors = KnownMonitors(count);
    const ScreenRect primary = {0, 0, GetSystemMetrics(SM_CXSCREEN),
                                GetSystemMetrics(SM_CYSCREEN)};
    Signals.foregroundFullScreen = ForegroundFullScreen(ReadForeground(), monitors, count, primary,
                                                        Signals.foregroundFullScreen);
    Apply(window);
}

void CALLBACK PresenceTimerProc(HWND window, UINT, UINT_PTR, DWORD) { Look(window); }

}  // namespace

void StartPresence(HWND window) {
    Signals.busyRuleOn = AppSettings.BusyRule != 0;
    const auto registerSession = SystemCall<RegisterSessionCall>(RegisterSessionSlot);
    SessionRegistered = registerSession && registerSession(window, NotifyForThisSession);
    const auto registerPower = SystemCall<RegisterPowerCall>(RegisterPowerSlot);
    if (registerPower) {
        DisplayNotices = registerPower(window, &DisplayStateSetting, NotifyWindowHandle);
    }
    Looking = false;
    KeepLookingAsNeeded(window);
}

void StopPresence(HWND window) {
    KillTimer(window, PresenceTimer);
    Looking = false;
    const auto unregisterSession = SystemCall<UnregisterSessionCall>(UnregisterSessionSlot);
    if (SessionRegistered && unregisterSession) unregisterSession(window);
    SessionRegistered = false;
    const auto unregisterPower = SystemCall<UnregisterPowerCall>(UnregisterPowerSlot);
    if (DisplayNotices && unregisterPower) unregisterPower(DisplayNotices);
    DisplayNotices = nullptr;
}

LRESULT OnSessionChange(HWND window, WPARAM what) {
    switch (what) {
    case SessionLock: Signals.locked = true; break;
    case SessionUnlock: Signals.locked = false; break;
    case ConsoleDisconnect:
    case RemoteDisconnect: Signals.disconnected = true; break;
    case ConsoleConnect:
    case RemoteConnect: Signals.disconnected = false; break;
    default: return 0;
    }
    Look(window);
    return 0;
}

LRESULT OnPowerBroadcast(HWND window, WPARAM what, LPARAM setting) {
    switch (what) {
    case PowerSuspend: Signals.suspending = true; break;
    case PowerResumeSuspend:
    case PowerResumeAutomatic: Signals.suspending = false; break;
    case PowerSettingChange: {
        const auto* notice = reinterpret_cast<const PowerSettingNotice*>(setting);
        DWORD state = 0;
        if (!notice || std::memcmp(&notice->setting, &DisplayStateSetting, sizeof(GUID)) != 0 ||
            notice->dataLength < sizeof state)
            return TRUE;
        std::memcpy(&state, notice->data, sizeof state);
        Signals.displayOff = state == DisplayOff;
        break;
    }
    default: return TRUE;
    }
    Look(window);
    return TRUE;
}

Presence CurrentPresence() { return Applied; }
