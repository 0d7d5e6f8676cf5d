// The settings file through the private-profile functions, at SettingsPath.
#include <windows.h>
#include <cstdlib>
#include "app/settings_profile.h"

namespace {

// GetPrivateProfileIntA reads text that is not a plain decimal the platform's way: leading
// blanks skipped, an optional sign, then digits up to the first other character ("12abc" is
// 12, "abc" is 0). Wine also reads "0x10" as 16 and gives the fallback for an empty value.
// The program relies only on a missing key giving the fallback.
int32_t ReadInt(const char* section, const char* key, int32_t fallback) {
    return static_cast<int32_t>(GetPrivateProfileIntA(section, key, fallback, SettingsPath));
}

// A write that fails (a read-only directory) is lost; the values in memory stay in force.
void WriteString(const char* section, const char* key, const char* text) {
    WritePrivateProfileStringA(section, key, text, SettingsPath);
}

// The private-profile functions take a file path of at most MAX_PATH characters. When the
// current directory is too long for that (or for the buffer), its short (8.3) form names the
// same directory in fewer characters, so the file still lives where the program started.
uint32_t ShortCurrentDirectory(uint32_t capacity, char* buffer) {
    const DWORD wideLength = GetCurrentDirectoryW(0, nullptr);   // terminator included
    if (wideLength == 0) return 0;
    // Up to 32767 characters: from the heap, and plain malloc rather than a container, which
    // would bring the exception machinery into the program for this one rare path.
    wchar_t* longForm = static_cast<wchar_t*>(std::malloc(wideLength * sizeof(wchar_t)));
    if (!longForm) return 0;
    wchar_t shortForm[MAX_PATH];
    DWORD shortLength = 0;
    if (GetCurrentDirectoryW(wideLength, longForm) + 1 == wideLength) {
        shortLength = GetShortPathNameW(longForm, shortForm, MAX_PATH);
    }
    std::free(longForm);
    if (shortLength == 0 || shortLength >= MAX_PATH) return 0;
    const int bytes = WideCharToMultiByte(CP_ACP, 0, shortForm, -1, buffer,
                                          static_cast<int>(capacity), nullptr, nullptr);
    return bytes > 0 ? static_cast<uint32_t>(bytes - 1) : 0;
}

uint32_t CurrentDirectory(uint32_t capacity, char* buffer) {
    const uint32_t length = GetCurrentDirectoryA(capacity, buffer);
    constexpr uint32_t FileNameSpan = sizeof "\\tsutsurin.ini";   // separator, name, terminator
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
