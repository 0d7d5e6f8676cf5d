#include "app/text_win32.h"
#include <shellapi.h>
#include "app/state.h"

namespace {

// Room for the longest text the program hands over (the already-running notice, 77 bytes).
constexpr int WideTextChars = 256;

// The shell's wide calls are looked up at run time rather than imported: Windows 95's shell32
// need not have them, and a single import a system lacks stops the program from loading there.
// The library itself is loaded with the program, which imports its ANSI calls.
constexpr char ShellLibrary[] = "shell32.dll";
using NotifyIconWideCall = BOOL(WINAPI*)(DWORD, NOTIFYICONDATAW*);
using ShellExecuteWideCall = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);

template <typename Call>
Call ShellCall(const char* name) {
    HMODULE shell = GetModuleHandleA(ShellLibrary);
    return shell ? reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(shell, name)))
                 : nullptr;
}

}  // namespace

// Asked once: the tray record goes out on every heartbeat of a tip, and whether the code page
// is installed does not change while the program runs.
bool WideTextCalls() {
    static const bool has932 = IsValidCodePage(ProgramCodePage) != FALSE;
    return OsFamily == OsFamilyNt && has932;
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
    static const ShellExecuteWideCall openWide = ShellCall<ShellExecuteWideCall>("ShellExecuteW");
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
    static const NotifyIconWideCall notifyWide =
        ShellCall<NotifyIconWideCall>("Shell_NotifyIconW");
    if (!notifyWide) return false;
    notifyWide(operation, static_cast<NOTIFYICONDATAW*>(record));
    return true;
}
