#include "tests/host/sim_fixture.h"

namespace {

constexpr int Resting = IDI_APP;
constexpr int Tipping = IDI_TRAY_TIPPING;
constexpr int None = -1;
constexpr int SoundStrike = 0, SoundEcho = 1, SoundSpill = 2;

struct Expected {
    int frame;
    int icon;
    int sound;   // None, or the one sound requested on this step
};

class TippingTest : public SimTest {
protected:
    WindowHandle window = reinterpret_cast<WindowHandle>(0x1234);

    // Makes the next filling step report a full tube.
    void FullOnNextStep() {
        AppSettings.WaterSource = 0;
        Recorder.usage = 100;
        TooltipUsage = 100;   // keeps the tooltip out of the icon's count
        SampleTick = 6;
    }

    // One step per row; the row says what the step must leave behind.
    void RunSteps(const std::vector<Expected>& rows, bool forceFirst) {
        for (size_t i = 0; i < rows.size(); ++i) {
            SCOPED_TRACE(::testing::Message() << "step " << i);
            Recorder.sounds.clear();
            const int modifiesBefore = Recorder.trayModifies;
            const int regionsBefore = Recorder.regionCalls;
            const int phaseBefore = TipPhase;
            TipStep(forceFirst && i == 0, window);
            EXPECT_EQ(FrameIndex, rows[i].frame);
            EXPECT_EQ(TrayIconId, rows[i].icon);
            if (rows[i].sound == None) {
                EXPECT_TRUE(Recorder.sounds.empty());
            } else {
                EXPECT_EQ(Recorder.sounds, std::vector<int>{rows[i].sound});
            }
            // The icon is sent on every tip step and never while filling.
            const bool tipStep = phaseBefore != 0 || (forceFirst && i == 0);
            EXPECT_EQ(Recorder.trayModifies - modifiesBefore, tipStep ? 1 : 0);
            EXPECT_EQ(Recorder.regionCalls - regionsBefore, 1);
            EXPECT_EQ(Recorder.lastWindow, window);
        }
    }
};

// T, T+1 .. T+21.
const std::vector<Expected> TipFromFilling = {
    {1, Resting, None},                                            // T: the verdict
    {2, Tipping, None}, {3, Resting, None}, {4, Tipping, None},
    {5, Resting, None}, {6, Tipping, None},
    {7, Resting, SoundSpill},                                      // T+6
    {7, Tipping, None}, {7, Resting, None}, {7, Tipping, None},
    {8, Resting, None},                                            // T+10
    {8, Tipping, None}, {7, Resting, None}, {6, Tipping, None},
    {5, Resting, None}, {4, Tipping, None}, {3, Resting, None},
    {3, Tipping, None},                                            // T+17
    {0, Resting, SoundStrike},                                     // T+18
    {1, Tipping, None},
    {0, Resting, SoundEcho},                                       // T+20
    {0, Resting, None},                                            // T+21: filling again
};

TEST_F(TippingTest, WholeTipFromFillingStepByStep) {
    FullOnNextStep();
    RunSteps(TipFromFilling, false);
    EXPECT_EQ(Recorder.samples, 1);   // no filling call while the tip ran
    EXPECT_EQ(SampleTick, 1);         // T+21 was a filling call again
    EXPECT_EQ(TipPhase, 0);
    EXPECT_EQ(ClickTip, 0);
}

TEST_F(TippingTest, FillingStepsLeaveFrameAndIconAlone) {
    RunSteps(std::vector<Expected>(20, {0, Resting, None}), false);
}

TEST_F(TippingTest, ForcedTipEntersAtFrameThree) {
    // C shows frame 3 (as T+2) and blinks at once; frames and sounds then follow the table.
    // The blinking runs one step out of step with a tip from filling, and the last step of
    // the tip (C+18) still lands on the resting icon.
    std::vector<Expected> rows(TipFromFilling.begin() + 2, TipFromFilling.end());
    ASSERT_EQ(rows.size(), 20u);   // C .. C+18, then filling again
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i].icon = (i % 2 == 0 && i < 18) ? Tipping : Resting;
    }
    EXPECT_EQ(rows[4].sound, SoundSpill);
    EXPECT_EQ(rows[16].sound, SoundStrike);
    SampleTick = 6;                // the next filling call samples: only C+19 makes it
    RunSteps(rows, true);
    EXPECT_EQ(Recorder.samples, 1);
}

TEST_F(TippingTest, ClickTipFlagLastsUntilTheTipEnds) {
    TipStep(true, window);
    for (int step = 1; step < 18; ++step) {
        TipStep(false, window);
        EXPECT_EQ(ClickTip, 1) << step;
    }
    TipStep(false, window);
    EXPECT_EQ(ClickTip, 0);
    EXPECT_EQ(TipPhase, 0);
}

TEST_F(TippingTest, ClickDuringHoldOrSwingKeepsTheCounter) {
    struct Case {
        int stepsBeforeClick;    // steps after T at which the click comes
        int phaseAtClick, counterAtClick;
        int holdStepsAfter;      // steps held on frame 7 after the spill (3 in a full tip)
    } cases[] = {
        {8, 7, 2, 1},     // two of three hold steps done: one more, then over
        {13, 8, 3, 0},    // in the swing: a counter of 3 ends the hold on its first step
        {15, 8, 5, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stepsBeforeClick);
        SetUp();
        FullOnNextStep();
        TipStep(false, window);
        for (int i = 0; i < c.stepsBeforeClick; ++i) TipStep(false, window);
        ASSERT_EQ(TipPhase, c.phaseAtClick);
        ASSERT_EQ(TipCounter, c.counterAtClick);

        TipStep(true, window);
        EXPECT_EQ(FrameIndex, 3);
        EXPECT_EQ(TipPhase, 3);
        EXPECT_EQ(TipCounter, c.counterAtClick);
        EXPECT_EQ(ClickTip, 1);

        std::vector<int> frames;
        while (TipPhase != 0) {
            TipStep(false, window);
            frames.push_back(FrameIndex);
        }
        std::vector<int> expected = {4, 5, 6, 7};
        expected.insert(expected.end(), c.holdStepsAfter, 7);
        // The swing back always counts from 0 in full.
        for (int f : {8, 8, 7, 6, 5, 4, 3, 3, 0, 1, 0}) expected.push_back(f);
        EXPECT_EQ(frames, expected);
        EXPECT_EQ(ClickTip, 0);
        EXPECT_EQ(TrayIconId, Resting);
    }
}

TEST_F(TippingTest, SoundsFollowDraggingAndTheEchoSetting) {
    struct Case { int32_t dragging; uint8_t echo; std::vector<int> sounds; } cases[] = {
        {0, 1, {SoundSpill, SoundStrike, SoundEcho}},
        {0, 0, {SoundSpill, SoundStrike}},
        {0, 2, {SoundSpill, SoundStrike}},   // only exactly 1 means the echo is on
        {1, 1, {}},
        {-1, 1, {}},                          // any non-zero value is a drag
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.dragging << "/" << int(c.echo));
        SetUp();
        Dragging = c.dragging;
        AppSettings.EchoEffect = c.echo;
        std::vector<int> frames;
        FullOnNextStep();
        for (int step = 0; step <= 21; ++step) {
            TipStep(false, window);
            frames.push_back(FrameIndex);
        }
        EXPECT_EQ(Recorder.sounds, c.sounds);
        std::vector<int> expectedFrames;
        for (const auto& row : TipFromFilling) expectedFrames.push_back(row.frame);
        EXPECT_EQ(frames, expectedFrames);   // a silent tip still moves
    }
}

TEST_F(TippingTest, TipAlwaysEndsOnTheRestingIcon) {
    // A click in mid-tip changes the number of blinks; the end still shows icon 127.
    for (int clickAfter = 1; clickAfter <= 20; ++clickAfter) {
        SetUp();
        FullOnNextStep();
        TipStep(false, window);
        for (int i = 0; i < clickAfter && TipPhase != 0; ++i) TipStep(false, window);
        TipStep(true, window);
        while (TipPhase != 0) TipStep(false, window);
        EXPECT_EQ(TrayIconId, Resting) << clickAfter;
        EXPECT_EQ(FrameIndex, 0);
    }
}

}  // namespace
