// The settings file through the private-profile functions, at SettingsPath.
#include <windows.h>
#include <cstdlib>
#include <cwchar>
#include "base/settings_profile.h"

namespace {

constexpr wchar_t WideFileName[] = L"\\tsutsurin.ini";
constexpr uint32_t FileNameSpan = sizeof "\\tsutsurin.ini";   // separator, name, terminator

// A folder whose name the ANSI code page cannot spell (a Japanese name on an English Windows)
// reads back from GetCurrentDirectoryA with '?' in it and names no folder at all: every write
// to it would be lost. For such a folder the load names the file here in UTF-16 and the wide
// profile functions take it; SettingsPath then keeps the ANSI spelling, through which nothing
// is read or written. Empty for every folder the ANSI calls can reach.
wchar_t WideSettingsPath[MAX_PATH];

// Section and key names and "%d" values are plain ASCII, the same in every code page.
constexpr int NameChars = 32;
void WidenName(const char* name, wchar_t (&wide)[NameChars]) {
    int i = 0;
    for (; name[i] != '\0' && i < NameChars - 1; ++i) wide[i] = static_cast<unsigned char>(name[i]);
    wide[i] = L'\0';
}

// GetPrivateProfileIntA reads text that is not a plain decimal the platform's way: leading
// blanks skipped, an optional sign, then digits up to the first other character ("12abc" is
// 12, "abc" is 0). Wine also reads "0x10" as 16 and gives the fallback for an empty value.
// The program relies only on a missing key giving the fallback.
int32_t ReadInt(const char* section, const char* key, int32_t fallback) {
    if (WideSettingsPath[0] == L'\0') {
        return static_cast<int32_t>(GetPrivateProfileIntA(section, key, fallback, SettingsPath));
    }
    wchar_t wideSection[NameChars];
    wchar_t wideKey[NameChars];
    WidenName(section, wideSection);
    WidenName(key, wideKey);
    return static_cast<int32_t>(GetPrivateProfileIntW(wideSection, wideKey, fallback,
                                                      WideSettingsPath));
}

// A write that fails (a read-only directory) is lost; the values in memory stay in force. The
// wide writer, like the ANSI one, makes a new file in the ANSI code page: plain ASCII here.
void WriteString(const char* section, const char* key, const char* text) {
    if (WideSettingsPath[0] == L'\0') {
        WritePrivateProfileStringA(section, key, text, SettingsPath);
        return;
    }
    wchar_t wideSection[NameChars];
    wchar_t wideKey[NameChars];
    wchar_t wideText[NameChars];
    WidenName(section, wideSection);
    WidenName(key, wideKey);
    WidenName(text, wideText);
    WritePrivateProfileStringW(wideSection, wideKey, wideText, WideSettingsPath);
}

// The current directory in UTF-16, from the heap (up to 32767 characters: plain malloc rather
// than a container, which would bring the exception machinery into the program for this);
// null where it cannot be had, as on Windows 95/98/Me, whose wide calls are stubs. The caller
// frees it.
wchar_t* WideCurrentDirectory() {
    const DWORD length = GetCurrentDirectoryW(0, nullptr);   // terminator included
    if (length == 0) return nullptr;
    wchar_t* folder = static_cast<wchar_t*>(std::malloc(length * sizeof(wchar_t)));
    if (folder && GetCurrentDirectoryW(length, folder) + 1 == length) return folder;
    std::free(folder);
    return nullptr;
}

// The folder's short (8.3) form; 0 when it has none (NTFS volumes may be made without short
// names) or that does not fit either.
DWORD ShortForm(const wchar_t* folder, wchar_t (&shortForm)[MAX_PATH]) {
    const DWORD length = GetShortPathNameW(folder, shortForm, MAX_PATH);
    return length < MAX_PATH ? length : 0;
}

// Whether the ANSI code page spells the folder exactly. No best fit: a Japanese Windows would
// spell "é" as "e", which names another folder or none.
bool AnsiSpells(const wchar_t* folder) {
    BOOL lost = FALSE;
    const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, folder, -1, nullptr, 0,
                                          nullptr, &lost);
    return bytes > 0 && !lost;
}

void NameFileInUtf16WhereAnsiCannot() {
    WideSettingsPath[0] = L'\0';
    wchar_t* folder = WideCurrentDirectory();
    if (!folder) return;
    if (!AnsiSpells(folder)) {
        wchar_t shortForm[MAX_PATH];
        const wchar_t* named = folder;
        if (std::wcslen(folder) + FileNameSpan > MAX_PATH) {
            named = ShortForm(folder, shortForm) ? shortForm : nullptr;
        }
        if (named && std::wcslen(named) + FileNameSpan <= MAX_PATH) {
            std::wcscpy(WideSettingsPath, named);
            std::wcscat(WideSettingsPath, WideFileName);
        }
    }
    std::free(folder);
}

// The private-profile functions take a file path of at most MAX_PATH characters. When the
// current directory is too long for that (or for the buffer), its short (8.3) form names the
// same directory in fewer characters, so the file still lives where the program started.
uint32_t ShortCurrentDirectory(uint32_t capacity, char* buffer) {
    wchar_t* longForm = WideCurrentDirectory();
    if (!longForm) return 0;
    wchar_t shortForm[MAX_PATH];
    const DWORD shortLength = ShortForm(longForm, shortForm);
    std::free(longForm);
    if (shortLength == 0) return 0;
    const int bytes = WideCharToMultiByte(CP_ACP, 0, shortForm, -1, buffer,
                                          static_cast<int>(capacity), nullptr, nullptr);
    return bytes > 0 ? static_cast<uint32_t>(bytes - 1) : 0;
}

// The load fetches the directory once, and every later write uses what it fetched: so this is
// also where the file is named in UTF-16 when it must be.
uint32_t CurrentDirectory(uint32_t capacity, char* buffer) {
    NameFileInUtf16WhereAnsiCannot();
    const uint32_t length = GetCurrentDirectoryA(capacity, buffer);
    if (length != 0 && length < capacity && length + FileNameSpan <= MAX_PATH) return length;
    const uint32_t shortLength = ShortCurrentDirectory(capacity, buffer);
    if (shortLength != 0 && shortLength + FileNameSpan <= MAX_PATH) return shortLength;
    // Neither form reaches the file: the portable side falls back to a relative path when
    // the long form did not fit the buffer, and writes to it then simply fail.
    return length < capacity ? GetCurrentDirectoryA(capacity, buffer) : length;
}

int32_t ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int32_t ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

constexpr SettingsProfile PrivateProfile = {ReadInt, WriteString, CurrentDirectory, ScreenWidth,
                                            ScreenHeight};

}  // namespace

bool SettingsFileIo(uint8_t mode) { return SettingsFileIoOver(mode, PrivateProfile); }

void WriteSettingInt(const char* section, const char* key, int32_t value) {
    char text[SettingTextBytes];
    FormatSettingInt(value, text);
    WriteString(section, key, text);
}

void SaveWindowLeft(int32_t left) {
    AppSettings.WindowPos.left = left;
    WriteSettingInt(WindowPlaceSection, XposKey, left);
}

void SaveWindowTop(int32_t top) {
    AppSettings.WindowPos.top = top;
    WriteSettingInt(WindowPlaceSection, YposKey, top);
}
