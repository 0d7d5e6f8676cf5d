#include "display/tray.h"
#include <windows.h>
#include <shellapi.h>
#include <cstring>
#include "base/text_win32.h"
#include "base/window_win32.h"
#include "res/resource.h"

UINT TaskbarCreatedMessage = 0;

namespace {

// The notification record in its original form, which every shell version accepts, with a tip
// of 64 characters: code page 932 bytes in the ANSI form, UTF-16 in the wide one.
template <typename Character>
struct TrayRecordOf {
    DWORD size;
    HWND window;
    UINT identifier;
    UINT flags;
    UINT callbackMessage;
    HICON icon;
    Character tip[TrayTipBytes];
};
using TrayRecord = TrayRecordOf<char>;
using WideTrayRecord = TrayRecordOf<wchar_t>;
// 88 and 152 bytes on 32-bit Windows; 104 and 168 on 64-bit, where the window and icon
// handles are 8 bytes and aligned.
constexpr bool Handles4 = sizeof(void*) == 4;
static_assert(sizeof(TrayRecord) == (Handles4 ? 88 : 104), "the first notification record form");
static_assert(sizeof(TrayRecord) == NOTIFYICONDATAA_V1_SIZE, "the shell's own first form");
static_assert(sizeof(WideTrayRecord) == (Handles4 ? 152 : 168), "the wide first record form");
static_assert(sizeof(WideTrayRecord) == NOTIFYICONDATAW_V1_SIZE, "the shell's own wide form");

TrayRecord TrayIconRecord;

// The record is kept in its ANSI form; on the wide route each send carries a copy whose tip is
// the same text in UTF-16.
void Send(DWORD operation) {
    TrayIconRecord.tip[TrayTipBytes - 1] = '\0';   // whatever the core left in TrayTip
    if (WideTextCalls()) {
        WideTrayRecord wide = {};
        wide.size = sizeof wide;
        wide.window = TrayIconRecord.window;
        wide.identifier = TrayIconRecord.identifier;
        wide.flags = TrayIconRecord.flags;
        wide.callbackMessage = TrayIconRecord.callbackMessage;
        wide.icon = TrayIconRecord.icon;
        WidenText(TrayIconRecord.tip, wide.tip, TrayTipBytes);
        if (NotifyIconWide(operation, &wide)) return;
    }
    Shell_NotifyIconA(operation, reinterpret_cast<NOTIFYICONDATAA*>(&TrayIconRecord));
}

constexpr UINT EveryPart = NIF_MESSAGE | NIF_ICON | NIF_TIP;

HICON CurrentPicture() { return TrayIconId == IDI_APP ? IconResting : IconTipping; }

// The picture and the tooltip the core shows now, into the record.
void TakeCurrentPictureAndTip() {
    TrayIconRecord.icon = CurrentPicture();
    std::memcpy(TrayIconRecord.tip, TrayTip, TrayTipBytes);
}

// The record holds what the shell was last given. Only the parts that differ from it go out
// again (a new percentage is the tip alone, a blink the picture alone), with those in `forced`
// whatever they hold: the shell takes in a picture sent anew each time it gets one.
void SendChangedParts(UINT forced) {
    UINT parts = forced;
    if (CurrentPicture() != TrayIconRecord.icon) parts |= NIF_ICON;
    // As far as Send lets the tip reach the shell.
    if (std::strncmp(TrayTip, TrayIconRecord.tip, TrayTipBytes - 1) != 0) parts |= NIF_TIP;
    if (parts == 0) return;
    TakeCurrentPictureAndTip();
    TrayIconRecord.flags = parts;
    Send(NIM_MODIFY);
}

void SendWhole(DWORD operation) {
    TrayIconRecord.flags = EveryPart;
    Send(operation);
}

}  // namespace

void AddTrayIcon(HWND window) {
    std::memset(&TrayIconRecord, 0, sizeof TrayIconRecord);
    TrayIconRecord.size = sizeof TrayIconRecord;
    TrayIconRecord.window = window;
    TrayIconRecord.identifier = TrayIconIdentifier;
    TrayIconRecord.callbackMessage = TrayCallbackMessage;
    TrayIconId = IDI_APP;
    std::strncpy(TrayTip, TrayStartupTip(CpuMonitorUnavailable != 0), TrayTipBytes - 1);
    TakeCurrentPictureAndTip();
    SendWhole(NIM_ADD);
}

void TrayModify() { SendChangedParts(0); }

void RestoreTrayIcon() {
    // Before start-up's own add the record is empty; that add comes later.
    if (!TrayIconRecord.window) return;
    TakeCurrentPictureAndTip();
    SendWhole(NIM_ADD);
}

void RemoveTrayIcon() { Send(NIM_DELETE); }

void RefreshTrayPicture() {
    // Reloaded for another scale: a new picture, whose handle may be the old one's number.
    if (TrayIconRecord.window) SendChangedParts(NIF_ICON);
}
