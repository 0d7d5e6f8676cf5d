// The engine on Wine's DirectSound: a real start, sounds that reach the capture device, two at
// once, and a start without any sound device that logs its failing step and holds nothing.
#include "tests/win32/engine_test_support.h"

#include <mmsystem.h>
#include <dsound.h>

#include <ostream>
#include <vector>

#include "sound/engine.h"
#include "sound/engine_device.h"
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
    EXPECT_TRUE(WaitFor([] { return SoundEngine::GetPositionMs(0) > 0; }, 3000));
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
    EXPECT_TRUE(WaitFor([before] { return LoudSamplesSince(before, 16000) > 100; }, 5000));
}

TEST_F(EngineOnWine, LoopingSampleKeepsSounding) {
    WriteTone("short.wav", 200, 330);
    ASSERT_EQ(SoundEngine::Init(window_, 22050, 16, 1, 1), 1);
    ASSERT_EQ(SoundEngine::LoadSample(0, "short.wav"), 1);
    SoundEngine::PlaySample(0, 1);
    // Round its end four times: the play cursor comes back to the start each time.
    int rounds = 0;
    int32_t last = 0;
    EXPECT_TRUE(WaitFor([&] {
        const int32_t now = SoundEngine::GetPositionMs(0);
        rounds += now < last ? 1 : 0;
        last = now;
        return rounds >= 4;
    }, 5000));
    const long later = CaptureSize();
    EXPECT_GE(WaitForSound(later, 2000), 2000u);
    SoundEngine::StopSample(0);
}

// DirectSound before DirectX 7 (Windows 95 and 98 as shipped, NT 4) knows only the first
// buffer description form and refuses a description of any other size. This device plays that
// part in front of Wine's own: it writes down every description, refuses all but the first
// form, and hands the rest on.
struct Description {
    DWORD size, flags, bytes;
    bool operator==(const Description& o) const {
        return size == o.size && flags == o.flags && bytes == o.bytes;
    }
    friend std::ostream& operator<<(std::ostream& out, const Description& d) {
        return out << "{size " << d.size << ", flags 0x" << std::hex << d.flags << std::dec
                   << ", " << d.bytes << " bytes}";
    }
};
std::vector<Description> Descriptions;

class FirstFormOnlyDevice : public IDirectSound {
public:
    IDirectSound* real = nullptr;
    STDMETHOD(QueryInterface)(REFIID riid, void** out) override {
        return real->QueryInterface(riid, out);
    }
    STDMETHOD_(ULONG, AddRef)() override { return real->AddRef(); }
    STDMETHOD_(ULONG, Release)() override { return real->Release(); }
    STDMETHOD(CreateSoundBuffer)(LPCDSBUFFERDESC description, LPLPDIRECTSOUNDBUFFER buffer,
                                 IUnknown* outer) override {
        Descriptions.push_back({description->dwSize, description->dwFlags,
                                description->dwBufferBytes});
        if (description->dwSize != sizeof(DSBUFFERDESC1)) return DSERR_INVALIDPARAM;
        return real->CreateSoundBuffer(description, buffer, outer);
    }
    STDMETHOD(GetCaps)(LPDSCAPS caps) override { return real->GetCaps(caps); }
    STDMETHOD(DuplicateSoundBuffer)(LPDIRECTSOUNDBUFFER original,
                                    LPLPDIRECTSOUNDBUFFER duplicate) override {
        return real->DuplicateSoundBuffer(original, duplicate);
    }
    STDMETHOD(SetCooperativeLevel)(HWND window, DWORD level) override {
        return real->SetCooperativeLevel(window, level);
    }
    STDMETHOD(Compact)() override { return real->Compact(); }
    STDMETHOD(GetSpeakerConfig)(LPDWORD config) override { return real->GetSpeakerConfig(config); }
    STDMETHOD(SetSpeakerConfig)(DWORD config) override { return real->SetSpeakerConfig(config); }
    STDMETHOD(Initialize)(LPCGUID device) override { return real->Initialize(device); }
};
FirstFormOnlyDevice OldDevice;
SoundDeviceApi WineDevice;

int32_t CreateOldDevice(void* function, const DeviceId* id, SoundDeviceHandle** device) {
    SoundDeviceHandle* real = nullptr;
    const int32_t result = WineDevice.createDevice(function, id, &real);
    OldDevice.real = reinterpret_cast<IDirectSound*>(real);
    *device = result == 0 ? reinterpret_cast<SoundDeviceHandle*>(
                                static_cast<IDirectSound*>(&OldDevice))
                          : real;
    return result;
}

TEST_F(EngineOnWine, DirectSoundBeforeDirectX7TakesEveryBufferDescription) {
    WriteTone("tone.wav", 200, 440);   // 8820 bytes
    WineDevice = SoundDevice;
    SoundDevice.createDevice = CreateOldDevice;
    Descriptions.clear();
    const int32_t started = SoundEngine::Init(window_, 22050, 16, 1, 2);
    const int32_t loaded = SoundEngine::LoadSample(0, "tone.wav");
    SoundEngine::SetGlobalFocus(1);
    const int32_t loadedWithFocus = SoundEngine::LoadSample(1, "tone.wav");
    SoundEngine::Shutdown();
    SoundDevice = WineDevice;
    EXPECT_EQ(started, 1);
    EXPECT_EQ(loaded, 1);
    EXPECT_EQ(loadedWithFocus, 1);
    // The first form is 20 bytes on 32-bit Windows and 24 on 64-bit, where the format
    // pointer is 8 bytes and aligned.
    const DWORD firstForm = sizeof(void*) == 4 ? 20 : 24;
    const std::vector<Description> expected = {
        {firstForm, 0x81, 0}, {firstForm, 0x100E8, 8820}, {firstForm, 0x180E8, 8820}};
    EXPECT_EQ(Descriptions, expected);
    DeleteFileA("tone.wav");
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
