// The engine on Wine's DirectSound: a real start, sounds that reach the capture device, two at
// once, and a start without any sound device that logs its failing step and holds nothing.
#include "tests/win32/engine_test_support.h"

#include <mmsystem.h>
#include <dsound.h>

#include "sound/engine.h"
#include "sound/engine_state.h"
#include "sound/mmfuncs.h"
#include "sound/supinfo.h"

namespace {

using namespace soundtest;

class EngineOnWine : public ::testing::Test {
protected:
    void SetUp() override {
        if (IsNoSoundChild()) GTEST_SKIP() << "the child runs only the no-device case";
        window_ = MakeWindow();
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        SoundEngine::Shutdown();
        if (window_ != nullptr) DestroyWindow(window_);
    }
    HWND window_ = nullptr;
};

TEST_F(EngineOnWine, InitOnARealWindowSucceedsAndShutdownReleasesEverything) {
    ASSERT_EQ(SoundEngine::Init(window_, 22050, 16, 1, 5), 1);
    EXPECT_EQ(Engine.slotCount, 5u);
    EXPECT_GE(Engine.driverList.count, 1);
    EXPECT_NE(Engine.timerCaps.periodMin, 0u);
    EXPECT_EQ(Engine.primaryFormat.formatTag, 1);
    EXPECT_NE(SoundEngine::GetMasterVolume(), 1);
    EXPECT_EQ(SoundEngine::SetGlobalFocus(1), 1);
    ASSERT_EQ(SoundEngine::Init(window_, 22050, 16, 1, 5), 1);   // again, from nothing
    SoundEngine::Shutdown();
    EXPECT_EQ(Engine.device, nullptr);
    EXPECT_EQ(MultimediaFunctions.module, nullptr);
    SoundEngine::Shutdown();
    EXPECT_EQ(GetFileAttributesA("supinfo.txt"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(EngineOnWine, LoadedSampleReportsItsLengthAndIsHeard) {
    WriteTone("tone.wav", 1000, 440);
    ASSERT_EQ(SoundEngine::Init(window_, 22050, 16, 1, 5), 1);
    ASSERT_EQ(SoundEngine::SetGlobalFocus(1), 1);
    ASSERT_EQ(SoundEngine::LoadSample(0, "tone.wav"), 1);
    EXPECT_EQ(SoundEngine::LoadSample(0, "tone.wav"), 0);   // the slot is taken
    EXPECT_EQ(SoundEngine::LoadSample(5, "tone.wav"), 0);
    EXPECT_EQ(SoundEngine::GetLengthMs(0), 999);   // 44100 bytes at 44.1000002 a millisecond
    EXPECT_EQ(SoundEngine::GetFrequency(0), 22050u);
    EXPECT_EQ(SoundEngine::SetVolume(0, 0), 1);
    EXPECT_EQ(SoundEngine::GetVolume(0), 0);
    EXPECT_EQ(SoundEngine::SetPan(0, -299), 1);
    EXPECT_EQ(SoundEngine::GetPan(0), -299);
    EXPECT_EQ(SoundEngine::SetPositionMs(0, 10), 1);

    const long before = CaptureSize();
    ASSERT_EQ(SoundEngine::RewindSample(0), 1);
    ASSERT_EQ(SoundEngine::PlaySample(0, 0), 1);
    Sleep(100);
    EXPECT_GT(SoundEngine::GetPositionMs(0), 0);
    EXPECT_GE(WaitForSound(before, 3000), 2000u);
}

// Two tones of amplitude 12000 each: only their sum, both sounding at once, goes past 16000.
TEST_F(EngineOnWine, TwoSamplesPlayAtTheSameTime) {
    WriteTone("low.wav", 1500, 220);
    WriteTone("high.wav", 1500, 330);
    ASSERT_EQ(SoundEngine::Init(window_, 22050, 16, 1, 2), 1);
    ASSERT_EQ(SoundEngine::LoadSample(0, "low.wav"), 1);
    ASSERT_EQ(SoundEngine::LoadSample(1, "high.wav"), 1);
    const long before = CaptureSize();
    SoundEngine::PlaySample(0, 0);
    Sleep(50);
    SoundEngine::PlaySample(1, 0);
    EXPECT_GE(WaitForSound(before, 3000), 2000u);
    Sleep(1600);
    EXPECT_GT(LoudSamplesSince(before, 16000), 100u);
}

TEST_F(EngineOnWine, LoopingSampleKeepsSounding) {
    WriteTone("short.wav", 200, 330);
    ASSERT_EQ(SoundEngine::Init(window_, 22050, 16, 1, 1), 1);
    ASSERT_EQ(SoundEngine::LoadSample(0, "short.wav"), 1);
    SoundEngine::PlaySample(0, 1);
    Sleep(800);   // four lengths of the sound
    const long later = CaptureSize();
    EXPECT_GE(WaitForSound(later, 2000), 2000u);
    SoundEngine::StopSample(0);
}

TEST_F(EngineOnWine, SlotsBeyondTheAddressSpaceFailAtTheSlotMemory) {
    DeleteFileA("supinfo.txt");
    EXPECT_EQ(SoundEngine::Init(window_, 22050, 16, 1, 0x7FFFFFFF), 0);
    EXPECT_EQ(ReadText("supinfo.txt"), "Get SampleLibraryMemory Failed\r\n");
    EXPECT_EQ(Engine.device, nullptr);
    EXPECT_EQ(Engine.slotCount, 0u);
    DeleteFileA("supinfo.txt");
}

// Bytes in use on every heap of the process (msvcrt's malloc keeps a heap of its own).
int64_t HeapBytesInUse() {
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    int64_t busy = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        PROCESS_HEAP_ENTRY entry = {};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) busy += entry.cbData;
        }
        HeapUnlock(heaps[i]);
    }
    return busy;
}

// The volume menu starts and stops the engine on every change. Wine's DirectSound itself keeps
// some tens of bytes from every device it creates and releases, so the engine's restarts are
// held to that: a sample buffer, a slot table or a driver list left behind each time is far
// more than the allowance.
TEST_F(EngineOnWine, RestartsKeepNoMoreMemoryThanTheDeviceAlone) {
    constexpr int Restarts = 20;
    constexpr int64_t AllowanceBytes = 2048;
    WriteTone("tone.wav", 200, 440);
    using CreateFunction = HRESULT(WINAPI*)(LPCGUID, LPDIRECTSOUND*, LPUNKNOWN);
    auto bareDevice = [] {
        HMODULE module = LoadLibraryA("dsound.dll");
        auto create = reinterpret_cast<CreateFunction>(
            reinterpret_cast<void*>(GetProcAddress(module, "DirectSoundCreate")));
        LPDIRECTSOUND device = nullptr;
        if (create != nullptr && create(nullptr, &device, nullptr) == 0) device->Release();
        FreeLibrary(module);
    };
    auto engine = [this] {
        ASSERT_EQ(SoundEngine::Init(window_, 22050, 16, 1, 5), 1);
        for (uint32_t slot = 0; slot < 5; ++slot) {
            ASSERT_EQ(SoundEngine::LoadSample(slot, "tone.wav"), 1);
        }
        SoundEngine::PlaySample(0, 1);
        SoundEngine::Shutdown();
    };
    bareDevice();
    engine();   // first calls fill caches that stay
    const int64_t before = HeapBytesInUse();
    for (int i = 0; i < Restarts; ++i) bareDevice();
    const int64_t bare = HeapBytesInUse() - before;
    for (int i = 0; i < Restarts; ++i) engine();
    const int64_t ours = HeapBytesInUse() - before - bare;
    EXPECT_LE(ours, bare + AllowanceBytes) << "DirectSound alone kept " << bare << " bytes";
    DeleteFileA("tone.wav");
}

// Run in a child whose Wine has no sound driver (see RunWithoutSoundDevice).
TEST(EngineWithoutDevice, Child) {
    if (!IsNoSoundChild()) GTEST_SKIP() << "runs as the child of the test below";
    HWND window = MakeWindow();
    EXPECT_EQ(SoundEngine::Init(window, 22050, 16, 1, 5), 0);
    EXPECT_EQ(Engine.slotCount, 0u);
    EXPECT_EQ(Engine.device, nullptr);
    EXPECT_EQ(Engine.library, nullptr);
    EXPECT_EQ(Engine.dsoundModule, nullptr);
    EXPECT_EQ(MultimediaFunctions.module, nullptr);
    EXPECT_EQ(SoundEngine::PlaySample(0, 0), 0);
    DestroyWindow(window);
}

TEST(EngineWithoutDevice, InitFailsAndLogsTheFailingStep) {
    if (IsNoSoundChild()) GTEST_SKIP();
    DeleteFileA("supinfo.txt");
    EXPECT_EQ(RunWithoutSoundDevice("engine_nosound.exe", "EngineWithoutDevice.Child"), 0u);
    // With no driver Wine's enumeration keeps answering E_FAIL; the bounded retries give up.
    EXPECT_EQ(ReadText("supinfo.txt"), "Enumerate Driver Failed\r\n");
}

}  // namespace
