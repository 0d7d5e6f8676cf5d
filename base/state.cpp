#include "base/state.h"
#include "base/hooks.h"
#include "base/settings.h"
#include "res/resource.h"

uint8_t InteractionState = 0;
int32_t Dragging = 0;
int32_t AboutDialogOpen = 0;
WindowHandle AboutDialogWindow = nullptr;
int32_t SoundMode = SoundModeOff;
uint8_t OsFamily = OsFamilyNt;
int32_t CpuMonitorUnavailable = 0;

AppSettingsRecord AppSettings = {};

int32_t TrayIconId = IDI_APP;
char TrayTip[TrayTipBytes] = {};

namespace {
void NoSample() {}
void NoTray() {}
int NoSound(int) { return 0; }
void NoRegion(WindowHandle) {}
}  // namespace

PlatformHooks Platform = {NoSample, NoTray, NoSound, NoRegion};
