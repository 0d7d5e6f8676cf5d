// The file stream on Wine: a WAVE file longer than the buffer played through the refill timer
// into the capture, once and looping, and stopped or closed again and again while it plays;
// the timer resolution it raises while it plays, and only then.
#include "tests/win32/engine_test_support.h"

#include <cstring>

#include "sound/engine.h"
#include "sound/engine_state.h"
#include "sound/mmfuncs.h"
#include "sound/stream.h"

namespace {

using namespace soundtest;

class StreamOnWine : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = MakeWindow();
        ASSERT_NE(window_, nullptr);
        ASSERT_EQ(SoundEngine::Init(window_, 22050, 16, 1, 1), 1);
    }
    void TearDown() override {
        SoundEngine::Shutdown();
        DestroyWindow(window_);
    }
    HWND window_ = nullptr;
};

TEST_F(StreamOnWine, FileLongerThanTheBufferPlaysOnceAndStops) {
    WriteTone("long.wav", 2500, 440);
    ASSERT_EQ(SoundEngine::OpenStream("long.wav", 49), 0);
    ASSERT_EQ(SoundEngine::OpenStream("long.wav", 500), 1);
    EXPECT_EQ(Engine.stream.bufferBytes, 22050u);
    const long before = CaptureSize();
    ASSERT_EQ(SoundEngine::PlayStream(0), 1);
    EXPECT_GE(WaitForSound(before, 3000), 2000u);
    // The data runs out after 2.5 s; the buffer plays out once and the timer ends.
    EXPECT_TRUE(WaitFor([] { return Engine.stream.timerId == 0; }, 10000));
    // What the mixer had already taken goes out first; then nearly a second of silence.
    const long after = WaitForCapture(CaptureSize(), 0.8);
    WaitForCapture(after, 0.8);
    EXPECT_LT(LoudSamplesSince(after), 200u);
    // Played again, it starts from the beginning.
    const long again = CaptureSize();
    ASSERT_EQ(SoundEngine::PlayStream(0), 1);
    EXPECT_GE(WaitForSound(again, 3000), 2000u);
    SoundEngine::CloseStream();
}

TEST_F(StreamOnWine, LoopingStreamKeepsSounding) {
    WriteTone("loop.wav", 1100, 330);
    ASSERT_EQ(SoundEngine::OpenStream("loop.wav", 500), 1);
    ASSERT_EQ(SoundEngine::PlayStream(1), 1);
    // Well past the file's end: the refills have gone back to the start of the data twice.
    int wraps = 0;
    long last = 0;
    EXPECT_TRUE(WaitFor([&] {
        StreamLockHold hold;
        const long now = Engine.stream.file ? std::ftell(Engine.stream.file) : 0;
        wraps += now < last ? 1 : 0;
        last = now;
        return wraps >= 2;
    }, 10000));
    EXPECT_NE(Engine.stream.timerId, 0u);
    const long later = CaptureSize();
    EXPECT_GE(WaitForSound(later, 2000), 2000u);
    ASSERT_EQ(SoundEngine::PauseStream(), 1);
    ASSERT_EQ(SoundEngine::PlayStream(1), 1);
    ASSERT_EQ(SoundEngine::StopStream(), 1);
}

TEST_F(StreamOnWine, StoppingAndClosingWhilePlayingNeverFails) {
    WriteTone("busy.wav", 1200, 550);
    for (int round = 0; round < 60; ++round) {
        ASSERT_EQ(SoundEngine::OpenStream("busy.wav", 50 + round % 5 * 100), 1) << round;
        ASSERT_EQ(SoundEngine::PlayStream(round % 2), 1);
        Sleep(static_cast<DWORD>(round % 7 * 5));
        if (round % 3 == 0) {
            EXPECT_EQ(SoundEngine::PauseStream(), 1);
        }
        if (round % 3 == 1) {
            EXPECT_EQ(SoundEngine::StopStream(), 1);
        }
        if (round % 4 == 0) {
            EXPECT_EQ(SoundEngine::PlayStream(1), 1);
        }
        SoundEngine::CloseStream();
        SoundEngine::CloseStream();
        EXPECT_EQ(SoundEngine::StopStream(), 0);
    }
    // Shutdown and a change of focus close a playing stream as well.
    ASSERT_EQ(SoundEngine::OpenStream("busy.wav", 100), 1);
    ASSERT_EQ(SoundEngine::PlayStream(1), 1);
    Sleep(50);
    EXPECT_EQ(SoundEngine::SetGlobalFocus(1), 1);
    EXPECT_EQ(Engine.stream.file, nullptr);
    ASSERT_EQ(SoundEngine::OpenStream("busy.wav", 100), 1);
    ASSERT_EQ(SoundEngine::PlayStream(0), 1);
    Sleep(50);
    SoundEngine::Shutdown();
    EXPECT_EQ(Engine.stream.file, nullptr);
    EXPECT_EQ(SoundEngine::PlayStream(0), 0);
}

// The timer resolution on Wine's own winmm, its two calls counted on their way there: the
// engine's start raises nothing, and a stream raises it once from its play to its stop.
int Raised = 0;
int Lowered = 0;
using PeriodCall = UINT(WINAPI*)(UINT);
PeriodCall WineRaise = nullptr;
PeriodCall WineLower = nullptr;
LibraryLoader WineLoader = {};

UINT WINAPI CountedRaise(UINT period) {
    ++Raised;
    return WineRaise(period);
}
UINT WINAPI CountedLower(UINT period) {
    ++Lowered;
    return WineLower(period);
}
void* LookUpCounted(void* module, const char* name) {
    void* found = WineLoader.lookup(module, name);
    if (found && std::strcmp(name, "timeBeginPeriod") == 0) {
        WineRaise = reinterpret_cast<PeriodCall>(found);
        return reinterpret_cast<void*>(CountedRaise);
    }
    if (found && std::strcmp(name, "timeEndPeriod") == 0) {
        WineLower = reinterpret_cast<PeriodCall>(found);
        return reinterpret_cast<void*>(CountedLower);
    }
    return found;
}

TEST(StreamTimerResolutionOnWine, RaisedOnlyWhileAStreamPlays) {
    WineLoader = MultimediaLoader;
    MultimediaLoader.lookup = LookUpCounted;
    HWND window = MakeWindow();
    ASSERT_EQ(SoundEngine::Init(window, 22050, 16, 1, 1), 1);
    ASSERT_NE(WineRaise, nullptr);   // the engine's table went through the counting look-up
    EXPECT_EQ(Raised, 0);
    WriteTone("period.wav", 1100, 440);
    ASSERT_EQ(SoundEngine::OpenStream("period.wav", 200), 1);
    EXPECT_EQ(Raised, 0);
    ASSERT_EQ(SoundEngine::PlayStream(1), 1);
    EXPECT_EQ(Raised, 1);
    Sleep(100);
    ASSERT_EQ(SoundEngine::StopStream(), 1);
    EXPECT_EQ(Lowered, 1);
    // Played once more to its end: the last refill lowers it.
    ASSERT_EQ(SoundEngine::PlayStream(0), 1);
    EXPECT_TRUE(WaitFor([] { return Engine.stream.timerId == 0; }, 10000));
    EXPECT_EQ(Raised, 2);
    EXPECT_EQ(Lowered, 2);
    SoundEngine::Shutdown();
    EXPECT_EQ(Raised, 2);
    EXPECT_EQ(Lowered, 2);
    MultimediaLoader = WineLoader;
    DestroyWindow(window);
}

}  // namespace
