#include "base/hooks.h"
#include "res/resource.h"

int32_t TrayIconId = IDI_APP;
char TrayTip[TrayTipBytes] = {};

namespace {
void NoSample() {}
void NoTray() {}
int NoSound(int) { return 0; }
void NoRegion(WindowHandle) {}
}  // namespace

PlatformHooks Platform = {NoSample, NoTray, NoSound, NoRegion};
