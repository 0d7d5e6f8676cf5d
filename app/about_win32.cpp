// The about dialog: version, the maker's two addresses, the CPU usage once a second and the
// sound back end in use.
#include <windows.h>
#include <cstdio>
#include "app/about.h"
#include "app/presence.h"
#include "base/settings.h"
#include "base/text_win32.h"
#include "base/window_win32.h"
#include "cpu/cpu.h"
#include "base/scale.h"
#include "res/resource.h"
#include "sim/sim.h"

namespace {

constexpr UINT_PTR CpuRefreshTimer = 100;
constexpr UINT CpuRefreshMs = 1000;
constexpr char HomePage[] = "https://example.org/";
// The subject goes as code page 932 bytes, without percent-encoding.
constexpr char MailAddress[] = "mailto:tsutsuri@example.org?subject=Tsutsuri Ver.1.01 に関して";
constexpr char CpuUnknownLine[] = "CPU使用率：不明";
constexpr char CpuLineFormat[] = "CPU使用率：%d％";
constexpr const char* SoundLines[] = {"Sound   ：  OFF", "Sound   ：  sndPlay",
                                      "Sound   ：  Direct"};
constexpr char DebugMark[] = "(DBG)";
constexpr int LineBytes = 64;

void SetCpuLine(HWND dialog) {
    char line[LineBytes];
    if (CpuMonitorUnavailable) {
        std::snprintf(line, sizeof line, "%s", CpuUnknownLine);
    } else {
        SampleCpuUsage();
        std::snprintf(line, sizeof line, CpuLineFormat, static_cast<int>(CpuUsage));
    }
    SetControlText(dialog, IDC_CPU_LINE, line);
}

void SetSoundLine(HWND dialog) {
    // SoundMode is only ever 0, 1 or 2; anything else reads as no sound.
    const bool known = SoundMode >= SoundModeOff && SoundMode <= SoundModeEngine;
    char line[LineBytes];
    std::snprintf(line, sizeof line, "%s%s", SoundLines[known ? SoundMode : SoundModeOff],
                  AppSettings.DebugSwitch == 1 ? DebugMark : "");
    SetControlText(dialog, IDC_SOUND_LINE, line);
}

INT_PTR OnInitDialog(HWND dialog) {
    // Opened while nobody is there (a command from another program): the line waits for them.
    if (CurrentPresence() != Presence::Away) {
        SetTimer(dialog, CpuRefreshTimer, CpuRefreshMs, nullptr);
    }
    CenterOnDesktop(dialog);
    AboutDialogWindow = dialog;
    SetSoundLine(dialog);
    SetCpuLine(dialog);
    return TRUE;   // the system gives the focus to the first tab stop, the OK button
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDOK:
        EndDialog(dialog, 1);
        return TRUE;
    case IDC_HOMEPAGE:
        OpenWithShell(dialog, nullptr, HomePage);
        return TRUE;
    case IDC_MAIL:
        OpenWithShell(dialog, "open", MailAddress);
        return TRUE;
    default:
        // IDCANCEL (the Escape key) among them: the dialog closes only by OK, Enter or the
        // close box.
        return FALSE;
    }
}

INT_PTR OnDestroy(HWND dialog) {
    KillTimer(dialog, CpuRefreshTimer);
    AboutDialogOpen = 0;
    // A handle kept after the dialog is gone could only ever reach a dead or reused window.
    AboutDialogWindow = nullptr;
    const HWND band = AppSettings.PositionMode == PositionFreeOnTop ? HWND_TOPMOST : HWND_NOTOPMOST;
    // The dying dialog is still MainWindow's owned popup. Wine moves owned popups along with
    // their owner and then inserts the owner below them, so the owner would lose the topmost
    // band; released from its owner first, the dialog is left out of the move.
    SetWindowLongPtrA(dialog, GWLP_HWNDPARENT, 0);
    SetWindowPos(MainWindow, band, 0, 0, DisplayScale.side, DisplayScale.side,
                 ShowUnlessHidden() | SWP_NOMOVE);
    return TRUE;
}

}  // namespace

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog);
    case WM_TIMER: SetCpuLine(dialog); return TRUE;
    case WM_COMMAND: return OnCommand(dialog, wParam);
    case WM_CLOSE: EndDialog(dialog, 1); return TRUE;
    case WM_DESTROY: return OnDestroy(dialog);
    default: return FALSE;
    }
}

void PauseAboutDialog(bool paused) {
    const HWND dialog = static_cast<HWND>(AboutDialogWindow);
    if (!dialog) return;
    if (paused) {
        KillTimer(dialog, CpuRefreshTimer);
        return;
    }
    SetCpuLine(dialog);
    SetTimer(dialog, CpuRefreshTimer, CpuRefreshMs, nullptr);
}

int CenterOnDesktop(HWND window) {
    RECT desktop = {};
    RECT own = {};
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(window, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    SetWindowPos(window, HWND_TOP, (desktop.right - width) / 2, (desktop.bottom - height) / 2,
                 width, height, SWP_SHOWWINDOW);
    return 0;
}
