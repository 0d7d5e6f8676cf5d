// The device watch on Wine's DirectSound. Wine keeps one default output for a process's life,
// so a new default is told through an injected look-up of GetDeviceID; the engine then opens
// its device afresh, which starts the capture file over, and the water loops sound again.
#include "tests/win32/engine_test_support.h"

#include <mmsystem.h>
#include <dsound.h>
#include <mmdeviceapi.h>

#include <cstring>

#include "base/settings.h"
#include "base/window_win32.h"
#include "sim/sim.h"
#include "sound/device_watch.h"
#include "sound/effects.h"
#include "sound/engine.h"
#include "sound/engine_device.h"
#include "sound/engine_state.h"
#include "tests/settings_guard.h"

namespace {

using namespace soundtest;

GUID InjectedDefault = {};
SoundDeviceApi WineDevice;

HRESULT WINAPI InjectedGetDeviceId(LPCGUID, LPGUID id) {
    *id = InjectedDefault;
    return DS_OK;
}

void* LookUpWithInjection(void* module, const char* name) {
    if (std::strcmp(name, "GetDeviceID") == 0) return reinterpret_cast<void*>(InjectedGetDeviceId);
    return WineDevice.lookup(module, name);
}

class DeviceWatchOnWine : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = MakeWindow();
        ASSERT_NE(window_, nullptr);
        WineDevice = SoundDevice;
        AppSettings.VolumeLevel = 1;
        AppSettings.WaterSoundEffect = 1;
        StreamLevel = 100;
        SoundMode = SoundModeEngine;
        SoundDeviceWatch = {};
    }
    void TearDown() override {
        StopListeningToOutputs();
        SoundEngine::Shutdown();
        SoundDevice = WineDevice;
        SoundMode = SoundModeOff;
        DestroyWindow(window_);
    }
    void Look() { LookAtSoundDevice(window_, GetTickCount()); }
    HWND window_ = nullptr;
    AppSettingsGuard settings_;
};

// Wine's own GetDeviceID knows the alias the engine asks about: it answers the output's own
// identifier, not the alias handed back, and that output stays the default.
TEST_F(DeviceWatchOnWine, TheDefaultOutputIsReadAndStaysPut) {
    ASSERT_EQ(RestartSoundEngine(window_), 0);
    DeviceId now = {};
    ASSERT_EQ(SoundEngine::DefaultOutputId(&now), 0);
    EXPECT_NE(std::memcmp(&now, &DefaultPlaybackAlias, sizeof now), 0);
    EXPECT_EQ(Engine.openedOnKnown, 1);
    EXPECT_EQ(std::memcmp(&now, &Engine.openedOn, sizeof now), 0);
    const SoundDeviceHandle* device = Engine.device;
    Look();
    EXPECT_EQ(Engine.device, device);
}

TEST_F(DeviceWatchOnWine, ANewDefaultOutputOpensTheDeviceAfresh) {
    SoundDevice.lookup = LookUpWithInjection;
    InjectedDefault.Data1 = 1;
    ASSERT_EQ(RestartSoundEngine(window_), 0);
    Look();
    // As on a system that tells of no outputs (XP and older): the watch reads the default.
    SoundDeviceWatch.listening = 0;
    // Some sound in the capture first, so that its starting over can be seen.
    const long grown = WaitForCapture(0, 1.0);
    ASSERT_GT(grown, 0);

    InjectedDefault.Data1 = 2;
    Look();
    ASSERT_NE(Engine.device, nullptr);
    EXPECT_EQ(reinterpret_cast<const GUID*>(&Engine.openedOn)->Data1, 2u);
    EXPECT_TRUE(WaitFor([grown] { return CaptureSize() < grown; }, 3000));
    EXPECT_GE(WaitForSound(0, 3000), 2000u);   // the water loops, heard again
    EXPECT_EQ(GetFileAttributesA("supinfo.txt"), INVALID_FILE_ATTRIBUTES);
}

// What the system does when a headset is plugged in: from a thread of its own, the device's
// new state and a new default for each role (and a microphone's, which is ignored).
DWORD WINAPI SystemNotices(LPVOID) {
    IMMNotificationClient* client = OutputNoticeClient();
    client->OnDeviceStateChanged(L"headset", DEVICE_STATE_ACTIVE);
    client->OnDefaultDeviceChanged(eRender, eConsole, L"headset");
    client->OnDefaultDeviceChanged(eRender, eMultimedia, L"headset");
    client->OnDefaultDeviceChanged(eCapture, eConsole, L"headset");
    return 0;
}

int PendingNotices(HWND window) {
    MSG message;
    int count = 0;
    while (PeekMessageA(&message, window, OutputNoticeMessage, OutputNoticeMessage, PM_REMOVE))
        ++count;
    return count;
}

// Wine's audio system takes the program's notification object, as Windows from Vista on does;
// the watch then leaves the default alone until a notice comes. The notices of one change are
// one message to the window, whose look follows the new default.
TEST_F(DeviceWatchOnWine, TheSystemsNoticesBringOneLookThatFollows) {
    SoundDevice.lookup = LookUpWithInjection;
    InjectedDefault.Data1 = 1;
    ASSERT_EQ(RestartSoundEngine(window_), 0);
    Look();
    ASSERT_EQ(SoundDeviceWatch.listening, 1);
    InjectedDefault.Data1 = 2;
    Look();
    EXPECT_EQ(reinterpret_cast<const GUID*>(&Engine.openedOn)->Data1, 1u);

    if (PendingNotices(window_)) OnOutputNotice(window_);   // any of Wine's own
    for (int change = 0; change < 2; ++change) {
        HANDLE system = CreateThread(nullptr, 0, SystemNotices, nullptr, 0, nullptr);
        ASSERT_NE(system, nullptr);
        WaitForSingleObject(system, 10000);
        CloseHandle(system);
        EXPECT_EQ(PendingNotices(window_), 1) << change;
        OnOutputNotice(window_);   // as the window procedure does
    }
    EXPECT_EQ(reinterpret_cast<const GUID*>(&Engine.openedOn)->Data1, 2u);
    ASSERT_NE(Engine.device, nullptr);
    EXPECT_EQ(GetFileAttributesA("supinfo.txt"), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
