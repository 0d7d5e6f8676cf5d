// Presence from the system's side: the session and power notices, one look a second at the
// shell's state and the window in front, and each change of state carried out once.
#include "app/presence.h"

#include <windows.h>
#include <cstring>

#include "app/about.h"
#include "app/commands_win32.h"
#include "base/settings.h"
#include "display/tray.h"
#include "base/window_win32.h"
#include "display/placement.h"
#include "base/scale.h"
#include "sound/device_watch.h"
#include "sound/effects.h"
#include "sound/engine.h"
#include "sound/mmfuncs.h"
#include "app/window_proc_win32.h"

namespace {

// The session notices (XP on), from wtsapi32, which older systems lack: looked up in the
// system folder's copy.
using RegisterSessionCall = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterSessionCall = BOOL(WINAPI*)(HWND);
constexpr char WtsLibrary[] = "wtsapi32.dll";
constexpr DWORD NotifyForThisSession = 0;   // NOTIFY_FOR_THIS_SESSION

// The display's power notices (Vista on), in user32.
using RegisterPowerCall = HANDLE(WINAPI*)(HANDLE, const GUID*, DWORD);
using UnregisterPowerCall = BOOL(WINAPI*)(HANDLE);
constexpr DWORD NotifyWindowHandle = 0;   // DEVICE_NOTIFY_WINDOW_HANDLE
SystemCallSlot UnregisterPowerSlot = {User32Library, "UnregisterPowerSettingNotification",
                                      LibrarySource::AlreadyLoaded, false, nullptr};

// The shell's word on the user (Vista on), in shell32.
using ShellStateCall = HRESULT(WINAPI*)(int32_t*);
SystemCallSlot ShellStateSlot = {Shell32Library, "SHQueryUserNotificationState",
                                 LibrarySource::AlreadyLoaded, false, nullptr};

// GUID_CONSOLE_DISPLAY_STATE (Windows 8 on): its data is a DWORD, 0 off, 1 on, 2 dimmed.
constexpr GUID DisplayStateSetting = {0x6fe69556, 0x704a, 0x47a0,
                                      {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
// GUID_MONITOR_POWER_ON, what Vista and 7 have instead: a DWORD too, 0 off, 1 on.
constexpr GUID MonitorPowerSetting = {0x02731015, 0x4510, 0x4526,
                                      {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};
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

PresenceSignals Signals = {};
Presence Applied = Presence::Here;
bool SessionRegistered = false;
int32_t SessionTriesLeft = 0;
HANDLE DisplayNotices = nullptr;
bool Looking = false;

int32_t ShellState() {
    const auto query = SystemCall<ShellStateCall>(ShellStateSlot);
    int32_t state = ShellStateUnknown;
    if (!query || FAILED(query(&state))) return ShellStateUnknown;
    return state;
}

// The screen saver's own flag (98 and 2000 on; elsewhere the call fails and says nothing). On
// XP the shell has no word on it, and an unprotected saver is only a captionless full-screen
// window, which would make the sozu busy rather than away.
bool ScreenSaverRunning() {
    BOOL running = FALSE;
    return SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0) && running;
}

// The session notices, tried at the start and again on later looks while they fail, a
// bounded number of times. Where there is no such call (before XP) nothing is retried.
void TryRegisterSession(HWND window) {
    if (SessionRegistered || SessionTriesLeft <= 0) return;
    const auto registerSession = SystemCall<RegisterSessionCall>(RegisterSessionSlot);
    SessionTriesLeft = registerSession ? SessionTriesLeft - 1 : 0;
    SessionRegistered = registerSession && registerSession(window, NotifyForThisSession);
}

// The display's power notices: the console's display state from Windows 8 on, else the
// monitor's power, which Vista and 7 send with the same data. Registering either sends its
// current state at once.
void RegisterDisplayNotices(HWND window) {
    const auto registerPower = SystemCall<RegisterPowerCall>(RegisterPowerSlot);
    if (!registerPower) return;
    DisplayNotices = registerPower(window, &DisplayStateSetting, NotifyWindowHandle);
    if (!DisplayNotices) {
        DisplayNotices = registerPower(window, &MonitorPowerSetting, NotifyWindowHandle);
    }
}

bool DisplaySetting(const GUID& setting) {
    return std::memcmp(&setting, &DisplayStateSetting, sizeof(GUID)) == 0 ||
           std::memcmp(&setting, &MonitorPowerSetting, sizeof(GUID)) == 0;
}

void CALLBACK PresenceTimerProc(HWND window, UINT, UINT_PTR, DWORD);

// While the heartbeat runs the look rides on it. Stopped (away), the look needs its own timer
// once a second, unless a message put the user away: its end comes as a message too, and until
// then nothing wakes the program.
void KeepLookingAsNeeded(HWND window) {
    const bool wanted = Applied == Presence::Away && !AwayByMessages(Signals);
    if (wanted == Looking) return;
    Looking = wanted;
    if (wanted) {
        SetTimer(window, PresenceTimer, PresenceLookMs, PresenceTimerProc);
    } else {
        KillTimer(window, PresenceTimer);
    }
}

// No sound plays on: the engine's slots are rewound, and the simple player's sound stopped.
void StopSounds() {
    if (SoundMode == SoundModeSimple) StopWaveImage();
    if (SoundMode != SoundModeEngine) return;
    for (uint32_t slot = 0; slot < SoundEffectCount; ++slot) SoundEngine::RewindSample(slot);
}

void HideForBusy(HWND window) {
    if (SozuHiddenForBusy) return;
    SozuHiddenForBusy = 1;
    ShowWindow(window, SW_HIDE);
}

// Back in sight where it belongs. Hidden, the sozu was neither moved nor saved: the screen is
// read again (a game may have changed the resolution; from away, the return has read it), a
// free sozu left off every monitor comes back by the existing rule, and a perched one stands
// beside the window in front now before it shows. The about dialog, while open, keeps it
// hidden and shows it itself when it closes.
void ShowAfterBusy(HWND window, Presence before) {
    if (!SozuHiddenForBusy) return;
    SozuHiddenForBusy = 0;
    if (before == Presence::Busy) MeasureScreenAndTaskbar();
    KeepFreeSozuOnMonitors(window, DisplayScale.side);
    if (AboutDialogOpen == 1) return;
    PerchBesideForeground(window);
    ShowWindow(window, SW_SHOWNA);
}

// Nobody there: no timer of the program's, no sound playing and no open sound device.
void GoAway(HWND window) {
    StopHeartbeat(window);
    PauseAboutDialog(true);
    SoundAway = 1;
    StopWaveImage();
    SoundEngine::Shutdown();
}

// Someone back: the heartbeat and the sound as the settings say (a volume chosen meanwhile
// is carried out now), the tray icon in case the shell lost it meanwhile, and the screen as it
// is now (a monitor may have gone; a hidden sozu waits for the end of busy).
void ComeBack(HWND window) {
    StartHeartbeat(window);
    PauseAboutDialog(false);
    SoundAway = 0;
    if (!ApplyWaitingVolume(window)) RestartOnReturn(window, GetTickCount());
    KeepWaterTimer(window);
    RestoreTrayIcon();
    MeasureScreenAndTaskbar();
    if (!SozuHiddenForBusy) KeepFreeSozuOnMonitors(window, DisplayScale.side);
}

// Carries out a change of state.
void Change(HWND window, Presence next) {
    const Presence before = Applied;
    Applied = next;
    if (next == Presence::Busy) {
        SoundBusy = 1;
        StopSounds();
        HideForBusy(window);
    } else {
        SoundBusy = 0;
    }
    if (before == Presence::Away) ComeBack(window);
    if (next == Presence::Away) GoAway(window);
    if (next == Presence::Here) {
        ShowAfterBusy(window, before);
        if (before == Presence::Busy) {
            StartWaterLoops();
            KeepWaterTimer(window);
        }
    }
}

// Carries out what the signals now say; the same state again changes nothing.
void Apply(HWND window) {
    const Presence next = DecidePresence(Signals);
    if (next != Applied) Change(window, next);
    KeepLookingAsNeeded(window);
}

void Look(HWND window) {
    TryRegisterSession(window);
    Signals.shellState = ShellState();
    Signals.screenSaver = ScreenSaverRunning();
    int32_t count = 0;
    const MonitorArea* monitors = KnownMonitors(count);
    const ForegroundLook seen =
        LookAtForeground(ReadWindowFacts(GetForegroundWindow()), monitors, count,
                         PrimaryScreen(),
                         {Signals.foregroundFullScreen, Signals.foregroundCoversMonitor});
    Signals.foregroundFullScreen = seen.fullScreen;
    Signals.foregroundCoversMonitor = seen.coversMonitor;
    Apply(window);
}

void CALLBACK PresenceTimerProc(HWND window, UINT, UINT_PTR, DWORD) { Look(window); }

}  // namespace

void LookOnHeartbeat(HWND window) { Look(window); }

SystemCallSlot RegisterSessionSlot = {WtsLibrary, "WTSRegisterSessionNotification",
                                      LibrarySource::SystemFolder, false, nullptr};
SystemCallSlot UnregisterSessionSlot = {WtsLibrary, "WTSUnRegisterSessionNotification",
                                        LibrarySource::SystemFolder, false, nullptr};
SystemCallSlot RegisterPowerSlot = {User32Library, "RegisterPowerSettingNotification",
                                    LibrarySource::AlreadyLoaded, false, nullptr};

void StartPresence(HWND window) {
    Signals = {};
    Signals.shellState = ShellStateUnknown;
    Signals.busyRuleOn = AppSettings.BusyRule != 0;
    Applied = Presence::Here;
    SessionRegistered = false;
    SessionTriesLeft = 1 + SessionRegistrationRetries;
    RegisterDisplayNotices(window);
    Looking = false;
    Look(window);
}

void ShowAsPresenceAllows(HWND window) {
    switch (Applied) {
    case Presence::Here:
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
        StartHeartbeat(window);
        break;
    case Presence::Busy: StartHeartbeat(window); break;
    case Presence::Away:
        // The timers start on the return.
        ShowWindow(window, SW_SHOWNOACTIVATE);
        UpdateWindow(window);
        break;
    }
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
        if (!notice || !DisplaySetting(notice->setting) || notice->dataLength < sizeof state)
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
