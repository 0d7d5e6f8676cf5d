// The popup menu, its commands, and ApplySettings carried out on the menu, the settings file
// and the sound subsystem.
#include <windows.h>
#include "app/about.h"
#include "app/commands_win32.h"
#include "app/commands.h"
#include "app/presence.h"
#include "base/settings.h"
#include "base/text_win32.h"
#include "base/window_win32.h"
#include "display/monitors.h"
#include "base/scale.h"
#include "display/scale_win32.h"
#include "res/resource.h"
#include "sim/sim.h"
#include "sound/effects.h"
#include "sound/engine.h"
#include "sound/mmfuncs.h"

namespace {

constexpr DWORD ExitDelayMs = 3;
constexpr char HelpPage[] = "help\\tsutsurin.html";

HWND AsWindow(WindowHandle window) { return static_cast<HWND>(window); }

void CheckItem(int id, bool checked) {
    CheckMenuItem(MainMenu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void EnableItem(int id, bool enabled) {
    EnableMenuItem(MainMenu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void ShutdownEngine() { SoundEngine::Shutdown(); }
void SetVolume(uint32_t slot, int32_t volume) { SoundEngine::SetVolume(slot, volume); }
void RewindSample(uint32_t slot) { SoundEngine::RewindSample(slot); }

void StartWaterTimer(WindowHandle window) { KeepWaterTimer(AsWindow(window)); }

const ApplyPort Win32Port = {CheckItem,      EnableItem,   WriteSettingInt, StartSoundEngine,
                             ShutdownEngine, SetVolume,    RewindSample,    PlaySoundEffect,
                             StartWaterTimer, VolumeTable};

// Free placement must not leave the window where nobody can reach it: a window whose centre
// lies on no monitor comes back to the centre of the nearest one, taskbar included. Where the
// monitors are unknown (Windows 95, NT 4), the primary screen alone counts: off it, the
// window comes back to its centre. A sozu that was perched had the scale of its window's
// monitor; free, it takes its own window's again.
void BringBackToScreen(HWND window, HWND insertAfter) {
    SetForegroundWindow(window);
    AdoptWindowDpi(window);
    RECT r = {};
    GetWindowRect(window, &r);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const int side = DisplayScale.side;
    int32_t count = 0;
    const MonitorArea* monitors = KnownMonitors(count);
    // Windows 95 and NT 4 tell of no monitors: the primary screen is then the one.
    const MonitorArea primary = {{0, 0, width, height}, {0, 0, width, height}, DisplayScale.dpi};
    if (count == 0) {
        monitors = &primary;
        count = 1;
    }
    const ScreenPoint at = OntoMonitors({r.left, r.top}, side, monitors, count);
    if (at.x == r.left && at.y == r.top) {
        SetWindowPos(window, insertAfter, 0, 0, side, side, SWP_NOMOVE);
    } else {
        SetWindowPos(window, insertAfter, at.x, at.y, side, side,
                     ShowUnlessHidden() | SWP_NOACTIVATE);
    }
}

void OpenAbout(HWND window) {
    AboutDialogOpen = 1;
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, DisplayScale.side, DisplayScale.side,
                 SWP_HIDEWINDOW | SWP_NOMOVE);
    RunDialog(Instance, IDD_ABOUT, window, AboutDialogProc);
}

}  // namespace

void ApplySettings(WindowHandle window) { ApplySettingsOver(window, Win32Port); }

bool ApplyWaitingVolume(WindowHandle window) { return ApplyWaitingVolumeOver(window, Win32Port); }

void ShowPopupMenu(HWND window) {
    SetCursor(CursorHand);
    POINT at = {};
    GetCursorPos(&at);
    SetForegroundWindow(window);
    TrackPopupMenu(PopupMenu, TPM_BOTTOMALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
    // Windows' documented rule for a menu tracked for a notification icon: without a message
    // to the window after the menu, it may close at once the next time it opens.
    PostMessageA(window, WM_NULL, 0, 0);
}

LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    switch (id) {
    case IDM_EXIT:
        Sleep(ExitDelayMs);
        DestroyWindow(window);
        return 0;
    case IDM_ABOUT:
        OpenAbout(window);
        return 0;
    case IDM_HELP:
        OpenWithShell(window, nullptr, HelpPage);
        return 0;
    default:
        break;
    }
    if (!ChangeSettingForCommand(id)) return DefWindowProcA(window, WM_COMMAND, wParam, lParam);
    switch (id) {
    case IDM_SOURCE_RANDOM: SeedRandom(MillisecondClock()); break;   // also when random was on
    case IDM_POS_FREE: BringBackToScreen(window, HWND_NOTOPMOST); break;
    case IDM_POS_FREE_TOPMOST: BringBackToScreen(window, HWND_TOPMOST); break;
    default: break;
    }
    ApplySettings(window);
    return 0;
}
