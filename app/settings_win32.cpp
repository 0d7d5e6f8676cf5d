// The settings file through the private-profile functions, at SettingsPath.
#include <windows.h>
#include "app/settings_profile.h"

namespace {

// GetPrivateProfileIntA reads text that is not a plain decimal the platform's way: leading
// blanks skipped, an optional sign, then digits up to the first other character ("12abc" is
// 12, "abc" is 0). The program relies only on a missing key giving the fallback.
int32_t ReadInt(const char* section, const char* key, int32_t fallback) {
    return static_cast<int32_t>(GetPrivateProfileIntA(section, key, fallback, SettingsPath));
}

// A write that fails (a read-only directory) is lost; the values in memory stay in force.
void WriteString(const char* section, const char* key, const char* text) {
    WritePrivateProfileStringA(section, key, text, SettingsPath);
}

uint32_t CurrentDirectory(uint32_t capacity, char* buffer) {
    return GetCurrentDirectoryA(capacity, buffer);
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
