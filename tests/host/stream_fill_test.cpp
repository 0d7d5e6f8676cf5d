// The file stream over the fake device and a real WAVE file: buffer arithmetic, priming, the
// half-by-half fill, looping, the non-looping end, pause and stop, and refills racing the
// stopping operations.
#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "sound/engine.h"
#include "sound/engine_state.h"
#include "sound/stream.h"
#include "tests/host/engine_fake_test.h"

namespace {

class StreamTest : public FakeSoundTest {
protected:
    void SetUp() override {
        FakeSoundTest::SetUp();
        ASSERT_EQ(StartEngine(), 1);
    }
    void TearDown() override {
        SoundEngine::Shutdown();
        std::remove("stream.wav");
        FakeSoundTest::TearDown();
    }
    // Writes a file of `bytes` counting sample bytes and opens it with a 1000 ms buffer.
    void OpenCounting(uint32_t bytes, uint16_t bits = 16) {
        data_.resize(bytes);
        for (uint32_t i = 0; i < bytes; ++i) data_[i] = static_cast<uint8_t>(i % 251 + 1);
        WriteWave("stream.wav", data_, bits);
        ASSERT_EQ(SoundEngine::OpenStream("stream.wav", 1000), 1);
        buffer_ = AsFake(Engine.stream.buffer);
        half_ = Engine.stream.bufferBytes / 2;
    }
    std::vector<uint8_t> Half(int which) const {
        auto start = buffer_->bytes.begin() + which * half_;
        return std::vector<uint8_t>(start, start + half_);
    }
    // `count` bytes of the data from `from`, continuing at the start when looping.
    std::vector<uint8_t> Data(uint32_t from, uint32_t count) const {
        std::vector<uint8_t> out;
        for (uint32_t i = 0; i < count; ++i) out.push_back(data_[(from + i) % data_.size()]);
        return out;
    }
    void CursorIn(int which) { buffer_->position = which == 0 ? 100 : half_ + 100; }
    long FilePosition() const { return std::ftell(Engine.stream.file); }

    std::vector<uint8_t> data_;
    FakeBuffer* buffer_ = nullptr;
    uint32_t half_ = 0;
};

TEST_F(StreamTest, BufferSizeFollowsTheFormatAndTheData) {
    struct Case {
        uint32_t dataBytes;
        uint16_t bits;
        uint32_t bufferMs;
        int32_t opened;
        uint32_t bufferBytes;
    } cases[] = {
        {88200, 16, 1000, 1, 44100},   // just enough for the double buffer
        {88199, 16, 1000, 0, 0},
        {88200, 16, 49, 0, 0},         // below the 50 ms floor
        {4410, 16, 50, 1, 2205},
        {44100, 8, 1000, 1, 22050},
        {44099, 8, 1000, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dataBytes);
        WriteWave("stream.wav", std::vector<uint8_t>(c.dataBytes, 1), c.bits);
        EXPECT_EQ(SoundEngine::OpenStream("stream.wav", c.bufferMs), c.opened);
        if (c.opened) {
            EXPECT_EQ(Engine.stream.bufferBytes, c.bufferBytes);
            EXPECT_EQ(LastSecondary()->bytes.size(), c.bufferBytes);
            EXPECT_EQ(LastSecondary()->flags, 65768u);
            EXPECT_EQ(Engine.stream.dataEnd, 44u + c.dataBytes);
            EXPECT_EQ(FilePosition(), 44);
            EXPECT_EQ(SoundEngine::OpenStream("stream.wav", c.bufferMs), 0);   // already open
        }
        SoundEngine::CloseStream();
        EXPECT_EQ(Engine.stream.file, nullptr);
    }
    EXPECT_EQ(SoundEngine::OpenStream("missing.wav", 1000), 0);
    for (const auto& b : Fake.buffers) {
        EXPECT_TRUE(b->primary || b->released);
    }
    SoundEngine::Shutdown();
    WriteWave("stream.wav", std::vector<uint8_t>(88200, 1));
    EXPECT_EQ(SoundEngine::OpenStream("stream.wav", 1000), 0);   // no device
}

// A header that claims far more data than the file holds (as a recorder that never went back
// to fill in the length leaves it): the stream plays what is there and loops at the file's end.
TEST_F(StreamTest, DeclaredLengthPastTheFileEndsWithTheFile) {
    OpenCounting(100000);
    SoundEngine::CloseStream();
    std::FILE* f = std::fopen("stream.wav", "r+b");
    ASSERT_NE(f, nullptr);
    std::fseek(f, 40, SEEK_SET);
    const uint8_t huge[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    std::fwrite(huge, 1, 4, f);
    std::fclose(f);
    ASSERT_EQ(SoundEngine::OpenStream("stream.wav", 1000), 1);
    buffer_ = AsFake(Engine.stream.buffer);
    EXPECT_EQ(Engine.stream.dataEnd, UINT32_MAX);
    ASSERT_EQ(SoundEngine::PlayStream(1), 1);
    for (int which : {1, 0, 1, 0}) {
        CursorIn(1 - which);
        FireStreamTimer();
    }
    EXPECT_EQ(Half(0), Data(4 * half_, half_));   // past the file's end, on from its start
}

TEST_F(StreamTest, OperationsWithoutAStreamAnswerZero) {
    EXPECT_EQ(SoundEngine::PlayStream(1), 0);
    EXPECT_EQ(SoundEngine::PauseStream(), 0);
    EXPECT_EQ(SoundEngine::StopStream(), 0);
    SoundEngine::CloseStream();
}

TEST_F(StreamTest, PlayPrimesTheFirstHalfThenTheTimerFillsHalfByHalf) {
    OpenCounting(100000);
    ASSERT_EQ(SoundEngine::PlayStream(1), 1);
    EXPECT_EQ(Half(0), Data(0, half_));
    EXPECT_EQ(Half(1), std::vector<uint8_t>(half_, 0xEE));   // not yet
    EXPECT_EQ(buffer_->position, 0u);
    EXPECT_TRUE(buffer_->playing);
    EXPECT_EQ(buffer_->playFlags, 1u);   // the buffer always loops
    EXPECT_EQ(Fake.timerDelay, 10u);
    EXPECT_EQ(Fake.timerResolution, 1u);
    EXPECT_EQ(Fake.timerFlags, 1u);
    EXPECT_EQ(Engine.stream.timerId, Fake.liveTimer);

    FireStreamTimer();   // cursor in the first half: the second is due
    EXPECT_EQ(Half(1), Data(half_, half_));
    int locks = buffer_->locks;
    FireStreamTimer();   // nothing more until the cursor crosses
    EXPECT_EQ(buffer_->locks, locks);

    CursorIn(1);
    FireStreamTimer();
    EXPECT_EQ(Half(0), Data(2 * half_, half_));
    CursorIn(0);
    FireStreamTimer();
    EXPECT_EQ(Half(1), Data(3 * half_, half_));
    // The data runs out inside this half: it continues from the data's start with no gap.
    CursorIn(1);
    FireStreamTimer();
    EXPECT_EQ(Half(0), Data(4 * half_, half_));
    EXPECT_EQ(FilePosition(), static_cast<long>(44 + (5 * half_) % 100000));
    EXPECT_EQ(Engine.stream.ended, 0);
}

TEST_F(StreamTest, NonLoopingStreamPadsWithSilencePlaysOutOnceAndStops) {
    struct Case {
        uint16_t bits;
        uint8_t silence;
    } cases[] = {{16, 0}, {8, 128}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        SoundEngine::CloseStream();
        OpenCounting(c.bits == 16 ? 100000 : 50000, c.bits);
        const uint32_t size = static_cast<uint32_t>(data_.size());
        ASSERT_EQ(SoundEngine::PlayStream(0), 1);
        uint32_t filled = half_;   // primed
        int which = 1;
        while (filled + half_ <= size) {
            CursorIn(1 - which);
            FireStreamTimer();
            EXPECT_EQ(Half(which), Data(filled, half_));
            filled += half_;
            which = 1 - which;
        }
        // The half where the data runs out: the rest is silence.
        CursorIn(1 - which);
        FireStreamTimer();
        std::vector<uint8_t> tail = Data(filled, size - filled);
        tail.resize(half_, c.silence);
        EXPECT_EQ(Half(which), tail);
        EXPECT_EQ(Engine.stream.ended, 1);
        EXPECT_EQ(FilePosition(), 44);
        EXPECT_TRUE(buffer_->playing);
        // The next change of half: silence, one last play to the buffer's end, timer gone.
        const uint32_t timer = Engine.stream.timerId;
        which = 1 - which;
        CursorIn(1 - which);
        FireStreamTimer();
        EXPECT_EQ(Half(which), std::vector<uint8_t>(half_, c.silence));
        EXPECT_EQ(buffer_->playFlags, 0u);
        EXPECT_EQ(Engine.stream.ended, 0);
        EXPECT_EQ(Engine.stream.timerId, 0u);
        ASSERT_FALSE(Fake.timersKilled.empty());
        EXPECT_EQ(Fake.timersKilled.back(), timer);
        int locks = buffer_->locks;
        FireStreamTimer();   // a tick already on its way does nothing
        EXPECT_EQ(buffer_->locks, locks);
    }
}

TEST_F(StreamTest, PauseKeepsTheFilesPlaceAndPlayResumesWithoutPriming) {
    OpenCounting(100000);
    ASSERT_EQ(SoundEngine::PlayStream(1), 1);
    FireStreamTimer();
    const long place = FilePosition();
    const uint32_t timer = Engine.stream.timerId;
    ASSERT_EQ(SoundEngine::PauseStream(), 1);
    EXPECT_FALSE(buffer_->playing);
    EXPECT_EQ(Engine.stream.timerId, 0u);
    EXPECT_EQ(Fake.timersKilled.back(), timer);
    EXPECT_EQ(FilePosition(), place);
    CursorIn(1);
    int locks = buffer_->locks;
    FireStreamTimer();   // a refill arriving after the pause touches nothing
    EXPECT_EQ(buffer_->locks, locks);

    buffer_->position = 30000;   // where the device stopped
    ASSERT_EQ(SoundEngine::PlayStream(1), 1);
    EXPECT_EQ(buffer_->locks, locks);   // no priming
    EXPECT_EQ(buffer_->position, 30000u);
    EXPECT_EQ(FilePosition(), place);
    FireStreamTimer();
    EXPECT_EQ(Half(0), Data(2 * half_, half_));
}

TEST_F(StreamTest, PlayWhilePlayingChangesOnlyTheLoopFlag) {
    OpenCounting(100000);
    ASSERT_EQ(SoundEngine::PlayStream(1), 1);
    const uint32_t timer = Engine.stream.timerId;
    const int locks = buffer_->locks;
    EXPECT_EQ(SoundEngine::PlayStream(0), 1);
    EXPECT_EQ(Engine.stream.looping, 0);
    EXPECT_EQ(Engine.stream.timerId, timer);
    EXPECT_EQ(buffer_->locks, locks);
}

TEST_F(StreamTest, StopRewindsTheFileAndForgetsAnEnding) {
    OpenCounting(100000);
    ASSERT_EQ(SoundEngine::PlayStream(0), 1);
    Engine.stream.ended = 1;
    ASSERT_EQ(SoundEngine::StopStream(), 1);
    EXPECT_EQ(FilePosition(), 44);
    EXPECT_EQ(Engine.stream.ended, 0);
    EXPECT_EQ(Engine.stream.timerId, 0u);
    buffer_->position = 0;
    ASSERT_EQ(SoundEngine::PlayStream(0), 1);
    EXPECT_EQ(Half(0), Data(0, half_));   // primed again from the start
}

TEST_F(StreamTest, RefusedLockWritesNothingAndLeavesTheHalfDue) {
    OpenCounting(100000);
    ASSERT_EQ(SoundEngine::PlayStream(1), 1);
    Fake.failLock = true;
    FireStreamTimer();
    EXPECT_EQ(Half(1), std::vector<uint8_t>(half_, 0xEE));
    EXPECT_EQ(FilePosition(), static_cast<long>(44 + half_));
    Fake.failLock = false;
    FireStreamTimer();
    EXPECT_EQ(Half(1), Data(half_, half_));
}

TEST_F(StreamTest, TimerThatCannotStartDoesNotPlay) {
    OpenCounting(100000);
    Fake.failSetEvent = true;
    EXPECT_EQ(SoundEngine::PlayStream(1), 0);
    EXPECT_FALSE(buffer_->playing);
    EXPECT_EQ(Engine.stream.timerId, 0u);
}

// The refills' finer timer resolution is held from a stream's play to its stop, whichever way
// it stops, and never by the engine alone. A refused raise is written down and nothing plays.
TEST_F(StreamTest, OnlyAPlayingStreamHoldsTheTimerResolution) {
    using Sizes = std::pair<size_t, size_t>;   // raises, lowerings
    auto periods = [] { return Sizes{Fake.periodsBegun.size(), Fake.periodsEnded.size()}; };
    OpenCounting(100000);
    EXPECT_EQ(periods(), Sizes(0, 0));
    const struct {
        const char* name;
        std::function<void()> stop;
    } stops[] = {
        {"pause", [] { SoundEngine::PauseStream(); }},
        {"stop", [] { SoundEngine::StopStream(); }},
        {"close", [] { SoundEngine::CloseStream(); }},
        {"shutdown", [] { SoundEngine::Shutdown(); }},
        {"global focus", [] { SoundEngine::SetGlobalFocus(1); }},
        {"ran out", [this] {
             SoundEngine::PlayStream(0);
             for (int half = 0; half < 20 && Engine.stream.timerId != 0; ++half) {
                 CursorIn(half % 2 == 0 ? 1 : 0);
                 FireStreamTimer();
             }
         }},
    };
    for (const auto& s : stops) {
        SCOPED_TRACE(s.name);
        if (Engine.device == nullptr) {
            ASSERT_EQ(StartEngine(), 1);
        }
        if (Engine.stream.file == nullptr) OpenCounting(100000);
        const Sizes before = periods();
        ASSERT_EQ(SoundEngine::PlayStream(1), 1);
        ASSERT_EQ(SoundEngine::PlayStream(1), 1);   // already playing: no second raise
        EXPECT_EQ(periods(), Sizes(before.first + 1, before.second));
        s.stop();
        EXPECT_EQ(periods(), Sizes(before.first + 1, before.second + 1));
        EXPECT_EQ(Engine.stream.timerId, 0u);
    }
    EXPECT_EQ(Fake.periodsEnded, Fake.periodsBegun);   // each the refill timer's resolution

    if (Engine.stream.file == nullptr) OpenCounting(100000);
    const Sizes before = periods();
    Fake.failSetEvent = true;   // no refills: the raise goes again at once
    EXPECT_EQ(SoundEngine::PlayStream(1), 0);
    EXPECT_EQ(periods(), Sizes(before.first + 1, before.second + 1));
    Fake.failSetEvent = false;
    Fake.failBeginPeriod = true;
    const int locks = buffer_->locks;
    const int plays = buffer_->plays;
    EXPECT_EQ(SoundEngine::PlayStream(1), 0);
    EXPECT_EQ(buffer_->plays, plays);
    EXPECT_EQ(buffer_->locks, locks);   // nothing primed: a later play starts at the same place
    EXPECT_EQ(Engine.stream.timerId, 0u);
    EXPECT_NE(Engine.device, nullptr);   // the rest of the engine runs on
    EXPECT_EQ(SupportText(), "Set TimerResolution Failed\n");
    EXPECT_EQ(periods(), Sizes(before.first + 1, before.second + 1));
}

TEST_F(StreamTest, CloseShutdownAndGlobalFocusEndTheStream) {
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        if (Engine.device == nullptr) {
            ASSERT_EQ(StartEngine(), 1);
        }
        OpenCounting(100000);
        ASSERT_EQ(SoundEngine::PlayStream(1), 1);
        if (way == 0) SoundEngine::CloseStream();
        if (way == 1) SoundEngine::Shutdown();
        if (way == 2) {
            EXPECT_EQ(SoundEngine::SetGlobalFocus(1), 1);
        }
        EXPECT_EQ(Engine.stream.file, nullptr);
        EXPECT_TRUE(buffer_->released);
        EXPECT_EQ(Fake.liveTimer, 0u);
        EXPECT_EQ(SoundEngine::PlayStream(1), 0);
    }
}

// Refills fired from another thread while the main thread starts and stops the stream: once a
// stopping operation has returned no refill touches the buffer or the file (the sanitizers
// catch a use of a closed file or a released buffer).
TEST_F(StreamTest, RefillsRacingTheStoppingOperationsNeverTouchAClosedStream) {
    data_.assign(100000, 9);
    WriteWave("stream.wav", data_);
    std::atomic<bool> done{false};
    std::thread timer([&] {
        while (!done) StreamTimerProc(0, 0, 0, 0, 0);
    });
    for (int round = 0; round < 200; ++round) {
        ASSERT_EQ(SoundEngine::OpenStream("stream.wav", 50), 1);
        SoundEngine::PlayStream(round % 2);
        if (round % 3 == 0) SoundEngine::PauseStream();
        if (round % 3 == 1) SoundEngine::StopStream();
        SoundEngine::CloseStream();
    }
    done = true;
    timer.join();
    EXPECT_EQ(Engine.stream.file, nullptr);
}

}  // namespace
