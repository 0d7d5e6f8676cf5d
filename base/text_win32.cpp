#include "base/text_win32.h"
#include <shellapi.h>
#include "base/state.h"
#include "base/system_win32.h"

namespace {

// Room for the longest text the program hands over (the already-running notice, 77 bytes).
constexpr int WideTextChars = 256;

// The shell's wide calls: Windows 95's shell32 need not have them. The library itself is
// loaded with the program, which imports its ANSI calls.
using NotifyIconWideCall = BOOL(WINAPI*)(DWORD, NOTIFYICONDATAW*);
using ShellExecuteWideCall = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
SystemCallSlot NotifyIconWideSlot = {Shell32Library, "Shell_NotifyIconW",
                                     LibrarySource::AlreadyLoaded, false, nullptr};
SystemCallSlot ShellExecuteWideSlot = {Shell32Library, "ShellExecuteW",
                                       LibrarySource::AlreadyLoaded, false, nullptr};

// Whether code page 932 is installed: asked once, since the tray record goes out on every
// heartbeat of a tip and the answer does not change while the program runs.
bool CodePageAsked = false;
bool CodePageInstalled = false;

}  // namespace

bool WideTextCalls() {
    if (!CodePageAsked) {
        CodePageAsked = true;
        CodePageInstalled = IsValidCodePage(ProgramCodePage) != FALSE;
    }
    return OsFamily == OsFamilyNt && CodePageInstalled;
}

int WidenText(const char* text, wchar_t* wide, int capacity) {
    if (capacity <= 0) return 0;
    // Every code page 932 character, one byte or a lead and a trail byte, is one UTF-16 unit,
    // so counting characters here counts the units the conversion writes.
    int bytes = 0;
    int characters = 0;
    while (text[bytes] != '\0' && characters < capacity - 1) {
        const bool pair = IsDBCSLeadByteEx(ProgramCodePage, static_cast<BYTE>(text[bytes]));
        if (pair && text[bytes + 1] == '\0') break;   // a lead byte whose trail was cut off
        bytes += pair ? 2 : 1;
        ++characters;
    }
    const int written =
        bytes ? MultiByteToWideChar(ProgramCodePage, 0, text, bytes, wide, capacity - 1) : 0;
    wide[written > 0 ? written : 0] = L'\0';
    return written > 0 ? written : 0;
}

int WINAPI ShowMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (!WideTextCalls()) return MessageBoxA(owner, text, caption, type);
    wchar_t wideText[WideTextChars];
    wchar_t wideCaption[WideTextChars];
    WidenText(text, wideText, WideTextChars);
    WidenText(caption, wideCaption, WideTextChars);
    return MessageBoxW(owner, wideText, wideCaption, type);
}

void SetControlText(HWND dialog, int id, const char* text) {
    if (!WideTextCalls()) {
        SetDlgItemTextA(dialog, id, text);
        return;
    }
    wchar_t wide[WideTextChars];
    WidenText(text, wide, WideTextChars);
    SetDlgItemTextW(dialog, id, wide);
}

// The template's texts are UTF-16 already; only a dialog made by the wide call keeps them so.
INT_PTR RunDialog(HINSTANCE instance, int id, HWND owner, DLGPROC procedure) {
    if (!WideTextCalls()) return DialogBoxParamA(instance, MAKEINTRESOURCEA(id), owner, procedure, 0);
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(id), owner, procedure, 0);
}

void OpenWithShell(HWND owner, const char* verb, const char* file) {
    const auto openWide = SystemCall<ShellExecuteWideCall>(ShellExecuteWideSlot);
    if (!WideTextCalls() || !openWide) {
        ShellExecuteA(owner, verb, file, nullptr, nullptr, SW_SHOWNORMAL);
        return;
    }
    wchar_t wideVerb[WideTextChars];
    wchar_t wideFile[WideTextChars];
    if (verb) WidenText(verb, wideVerb, WideTextChars);
    WidenText(file, wideFile, WideTextChars);
    openWide(owner, verb ? wideVerb : nullptr, wideFile, nullptr, nullptr, SW_SHOWNORMAL);
}

bool NotifyIconWide(DWORD operation, void* record) {
    const auto notifyWide = SystemCall<NotifyIconWideCall>(NotifyIconWideSlot);
    if (!notifyWide) return false;
    notifyWide(operation, static_cast<NOTIFYICONDATAW*>(record));
    return true;
}
