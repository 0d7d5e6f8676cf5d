#include "app/tray.h"
#include <windows.h>
#include <shellapi.h>
#include <cstring>
#include "app/window_win32.h"
#include "res/resource.h"

namespace {

// The notification record in its original 88-byte form, which every shell version accepts.
struct TrayRecord {
    DWORD size;
    HWND window;
    UINT identifier;
    UINT flags;
    UINT callbackMessage;
    HICON icon;
    char tip[TrayTipBytes];
};
static_assert(sizeof(TrayRecord) == 88, "the first notification record form is 88 bytes");

TrayRecord TrayIconRecord;

void Send(DWORD operation) {
    Shell_NotifyIconA(operation, reinterpret_cast<NOTIFYICONDATAA*>(&TrayIconRecord));
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
    TrayIconRecord.icon = TrayIconId == IDI_APP ? IconResting : IconTipping;
    std::memcpy(TrayIconRecord.tip, TrayTip, TrayTipBytes);
    TrayIconRecord.tip[TrayTipBytes - 1] = '\0';
    Send(NIM_MODIFY);
}

void RemoveTrayIcon() { Send(NIM_DELETE); }
