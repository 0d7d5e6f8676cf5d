#include "app/tray.h"
#include <windows.h>
#include <shellapi.h>
#include <cstring>
#include "app/window_win32.h"
#include "res/resource.h"

namespace {

// The notification record in its original form, which every shell version accepts: 88 bytes on
// 32-bit Windows, 104 on 64-bit, where the window and icon handles are 8 bytes and aligned.
struct TrayRecord {
    DWORD size;
    HWND window;
    UINT identifier;
    UINT flags;
    UINT callbackMessage;
    HICON icon;
    char tip[TrayTipBytes];
};
constexpr size_t FirstTrayRecordBytes = sizeof(void*) == 4 ? 88 : 104;
static_assert(sizeof(TrayRecord) == FirstTrayRecordBytes, "the first notification record form");
static_assert(sizeof(TrayRecord) == NOTIFYICONDATAA_V1_SIZE, "the shell's own first form");

TrayRecord TrayIconRecord;

void Send(DWORD operation) {
    Shell_NotifyIconA(operation, reinterpret_cast<NOTIFYICONDATAA*>(&TrayIconRecord));
}

// The picture and the tooltip the core shows now, into the record.
void TakeCurrentPictureAndTip() {
    TrayIconRecord.icon = TrayIconId == IDI_APP ? IconResting : IconTipping;
    std::memcpy(TrayIconRecord.tip, TrayTip, TrayTipBytes);
    TrayIconRecord.tip[TrayTipBytes - 1] = '\0';
}

}  // namespace

void AddTrayIcon(HWND window) {
    std::memset(&TrayIconRecord, 0, sizeof TrayIconRecord);
    TrayIconRecord.size = sizeof TrayIconRecord;
    TrayIconRecord.window = window;
    TrayIconRecord.identifier = TrayIconIdentifier;
    TrayIconRecord.flags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    TrayIconRecord.callbackMessage = TrayCallbackMessage;
    TrayIconId = IDI_APP;
    TrayIconRecord.icon = IconResting;
    std::strncpy(TrayTip, TrayStartupTip(CpuMonitorUnavailable != 0), TrayTipBytes - 1);
    std::memcpy(TrayIconRecord.tip, TrayTip, TrayTipBytes);
    Send(NIM_ADD);
}

void TrayModify() {
    TakeCurrentPictureAndTip();
    Send(NIM_MODIFY);
}

void RestoreTrayIcon() {
    // Before start-up's own add the record is empty; that add comes later.
    if (!TrayIconRecord.window) return;
    TakeCurrentPictureAndTip();
    Send(NIM_ADD);
}

void RemoveTrayIcon() { Send(NIM_DELETE); }
