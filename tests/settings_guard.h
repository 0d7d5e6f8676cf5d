// Puts AppSettings back as a test found it when the guard goes out of scope.
#pragma once
#include "base/settings.h"

class AppSettingsGuard {
public:
    AppSettingsGuard() : saved_(AppSettings) {}
    ~AppSettingsGuard() { AppSettings = saved_; }
    AppSettingsGuard(const AppSettingsGuard&) = delete;
    AppSettingsGuard& operator=(const AppSettingsGuard&) = delete;

private:
    AppSettingsRecord saved_;
};
