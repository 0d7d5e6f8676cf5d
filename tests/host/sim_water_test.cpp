#include "tests/host/sim_fixture.h"

namespace {

using WaterTest = SimTest;

constexpr uint8_t Instant = 0, Cumulative = 1, Random = 2;

TEST(Random, DrawsFollowTheLinearCongruentialStepWithSixteenUpperBits) {
    // Worked by hand: seed * 1103515245 + 12345 modulo 2^32, then the upper sixteen bits.
    struct Case { uint32_t seed; uint32_t n; uint32_t draw; uint32_t seedAfter; } cases[] = {
        {1, 65536, 16838, 0x41C67EA6u},
        {0x41C67EA6u, 65536, 38526, 0x967EB0E7u},   // top bit set: all sixteen bits are kept
        {0x41C67EA6u, 5, 38526 % 5, 0x967EB0E7u},
        {0, 7, 0, 12345},
        {0xFFFFFFFFu, 65536, 48697, 0xBE39E1CCu},   // the product wraps
        {0xFFFFFFFFu, 1, 0, 0xBE39E1CCu},
        {0xFFFFFFFFu, 0, 48697, 0xBE39E1CCu},       // a modulus of 0 does not fault
    };
    for (const auto& c : cases) {
        SeedRandom(c.seed);
        EXPECT_EQ(NextRandom(c.n), c.draw) << c.seed << " mod " << c.n;
        EXPECT_EQ(RandomSeed, c.seedAfter) << c.seed;
    }
}

TEST_F(WaterTest, SamplesOnEverySeventhCall) {
    for (int call = 1; call <= 21; ++call) {
        FillStep();
        EXPECT_EQ(Recorder.samples, call / 7) << call;
    }
}

TEST_F(WaterTest, WorkedExampleTipsOncePerThirtySamples) {
    AppSettings.WaterSource = Cumulative;   // threshold 45, so FillLevel moves every 5th sample
    Recorder.usage = 20;
    std::vector<int32_t> levels;
    for (int sample = 1; sample <= 60; ++sample) {
        const bool tip = Sample();
        EXPECT_EQ(tip, sample % 30 == 0) << sample;
        EXPECT_EQ(StreamLevel, FillLevel);
        if (sample <= 30 && sample % 5 == 0) levels.push_back(FillLevel);
    }
    EXPECT_EQ(levels, (std::vector<int32_t>{20, 40, 60, 80, 100, 0}));
}

TEST_F(WaterTest, EverySensitivityRowOfTheDefaultTables) {
    struct Row { uint8_t sensitivity; int32_t threshold; int advanceEvery; } rows[] = {
        {0, 15, 2}, {1, 30, 4}, {2, 45, 5}, {3, 60, 7}, {4, 75, 8}, {5, 90, 10},
        // Out of the tables' range: the default sensitivity's entries, nothing read past them.
        {7, 45, 5}, {255, 45, 5},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(int(r.sensitivity));
        SetUp();
        AppSettings.Sensitivity = r.sensitivity;

        // Instantaneous: only a usage strictly above the threshold tips.
        AppSettings.WaterSource = Instant;
        Recorder.usage = r.threshold;
        EXPECT_FALSE(Sample());
        EXPECT_EQ(StreamLevel, r.threshold);
        Recorder.usage = r.threshold + 1;
        EXPECT_TRUE(Sample());

        // The summed level moves on every (k + 1)-th sample.
        AppSettings.WaterSource = Cumulative;
        FillLevel = 0;
        FillThrottle = 0;
        Recorder.usage = 1;
        std::vector<int> moves;
        for (int sample = 1; sample <= 3 * r.advanceEvery; ++sample) {
            const int32_t before = FillLevel;
            Sample();
            if (FillLevel != before) moves.push_back(sample);
        }
        EXPECT_EQ(moves, (std::vector<int>{r.advanceEvery, 2 * r.advanceEvery,
                                           3 * r.advanceEvery}));

        // Random: only this row's entry is the chance range (1: a tip on every sample).
        AppSettings.WaterSource = Random;
        for (int32_t& range : AppSettings.RandomRanges) range = 0;
        AppSettings.RandomRanges[r.sensitivity < SensitivityCount ? r.sensitivity : 2] = 1;
        StreamLevel = 50;
        for (int sample = 0; sample < 5; ++sample) EXPECT_TRUE(Sample());
    }
}

TEST_F(WaterTest, ThresholdBelowTenAdvancesEverySampleAndTipsRightAfterFull) {
    for (int32_t threshold : {5, 0, -15}) {
        SCOPED_TRACE(threshold);
        SetUp();
        AppSettings.CpuThresholds[2] = threshold;
        Recorder.usage = 100;
        EXPECT_FALSE(Sample());
        EXPECT_EQ(FillLevel, 100);
        EXPECT_TRUE(Sample());
        EXPECT_EQ(FillLevel, 0);
        EXPECT_EQ(StreamLevel, 0);
    }
}

TEST_F(WaterTest, HighThresholdNeverTipsTheInstantaneousSource) {
    AppSettings.WaterSource = Instant;
    AppSettings.CpuThresholds[2] = 100;
    Recorder.usage = 100;
    for (int sample = 0; sample < 40; ++sample) EXPECT_FALSE(Sample());
}

TEST_F(WaterTest, LevelWrapsInEverySourceButTipsOnlyWhenSummed) {
    struct Case { uint8_t source; bool tipsOnWrap; } cases[] = {
        {Instant, false}, {Random, false}, {Cumulative, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.source));
        SetUp();
        AppSettings.WaterSource = c.source;
        AppSettings.CpuThresholds[2] = 100;   // k 10; the instantaneous rule never tips
        AppSettings.RandomRanges[2] = -1;     // a huge modulus: no chance tip from seed 1
        StreamLevel = 50;                     // the walk stays clear of its bounds
        FillLevel = 100;
        FillThrottle = 10;
        Recorder.usage = 30;
        EXPECT_EQ(Sample(), c.tipsOnWrap);
        EXPECT_EQ(FillLevel, 0);
    }
}

TEST_F(WaterTest, LevelStaysWithinItsRangeWhateverTheUsage) {
    AppSettings.CpuThresholds[2] = 0;
    struct Case { int32_t level; int32_t usage; int32_t after; } cases[] = {
        {90, 30, 100}, {10, -1, 9}, {0, -1, 0}, {50, INT32_MAX, 100}, {50, INT32_MIN, 0},
    };
    for (const auto& c : cases) {
        FillLevel = c.level;
        Recorder.usage = c.usage;
        Sample();
        EXPECT_EQ(FillLevel, c.after) << c.level << " + " << c.usage;
    }
}

TEST_F(WaterTest, RandomWalkBoundsAndChanceTips) {
    AppSettings.WaterSource = Random;
    struct Case {
        int32_t level, falling, range;
        bool tip;
        int32_t levelAfter, fallingAfter;
    } cases[] = {
        // Seed 1 gives a walk step of 3, then a chance draw.
        {50, 0, -1, false, 53, 0},
        {97, 0, -1, true, 100, 1},    // 100 or more tips on the way up
        {96, 0, -1, false, 99, 0},
        {3, 1, -1, false, 0, 1},      // exactly 0 on the way down does not tip
        {2, 1, -1, true, 0, 0},       // below 0 does
        {97, 0, 1, true, 100, 0},     // bound and chance on one sample: reversed twice
        {2, 1, 1, true, 0, 1},
        {50, 0, 1, true, 53, 1},      // chance alone reverses once
        {97, 0, 0, true, 100, 1},     // a range of 0: no chance draw, the bounds still tip
        {50, 0, 0, false, 53, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.level << "/" << c.falling << "/" << c.range);
        RandomSeed = 1;
        StreamLevel = c.level;
        StreamFalling = c.falling;
        AppSettings.RandomRanges[2] = c.range;
        EXPECT_EQ(Sample(), c.tip);
        EXPECT_EQ(StreamLevel, c.levelAfter);
        EXPECT_EQ(StreamFalling, c.fallingAfter);
    }
}

TEST_F(WaterTest, ChanceRangeOfOneTipsEverySampleAndReversesTheWalk) {
    AppSettings.WaterSource = Random;
    AppSettings.RandomRanges[2] = 1;
    StreamLevel = 50;
    for (int sample = 1; sample <= 10; ++sample) {
        EXPECT_TRUE(Sample());
        EXPECT_EQ(StreamFalling, sample % 2);
    }
}

TEST_F(WaterTest, ChanceRangeOfZeroMakesNoDraw) {
    AppSettings.WaterSource = Random;
    AppSettings.RandomRanges[2] = 0;
    StreamLevel = 50;
    EXPECT_FALSE(Sample());
    EXPECT_EQ(RandomSeed, 0x41C67EA6u);   // one step: the walk's draw only
    for (int sample = 0; sample < 2000; ++sample) {
        if (Sample()) {
            EXPECT_TRUE(StreamLevel == 0 || StreamLevel == 100) << StreamLevel;
        }
    }
}

TEST_F(WaterTest, UnknownSourceNeverTipsAndLeavesTheStream) {
    AppSettings.WaterSource = 3;
    StreamLevel = 42;
    Recorder.usage = 100;
    for (int sample = 0; sample < 40; ++sample) EXPECT_FALSE(Sample());
    EXPECT_EQ(StreamLevel, 42);
}

TEST_F(WaterTest, UnavailableMonitorDoesNothing) {
    CpuMonitorUnavailable = 1;
    for (uint8_t source : {Instant, Cumulative, Random}) {
        AppSettings.WaterSource = source;
        AppSettings.RandomRanges[2] = 1;
        for (int call = 0; call < 100; ++call) EXPECT_FALSE(FillStep());
    }
    EXPECT_EQ(Recorder.samples, 0);
    EXPECT_EQ(SampleTick, 0);
    EXPECT_EQ(StreamLevel, 0);
    EXPECT_EQ(Recorder.trayModifies, 0);
}

TEST_F(WaterTest, TooltipCarriesTheUsageInCodePage932) {
    Recorder.usage = 100;
    Sample();
    // "Tsutsuri [CPU" 使用率 ： "100" ％ "]", the kanji and full-width signs as CP932 bytes.
    const unsigned char expected[] = {'T', 's', 'u', 't', 's', 'u', 'r', 'i', ' ', '[', 'C',
                                      'P', 'U', 0x8E, 0x67, 0x97, 0x70, 0x97, 0xA6, 0x81, 0x46,
                                      '1', '0', '0', 0x81, 0x93, ']', 0};
    EXPECT_EQ(std::strlen(TrayTip), 27u);
    EXPECT_EQ(std::memcmp(TrayTip, expected, sizeof expected), 0);

    Recorder.usage = INT32_MIN;   // the widest number still fits the 64-byte field
    Sample();
    EXPECT_EQ(std::strlen(TrayTip), 35u);
}

TEST_F(WaterTest, TooltipIsRefreshedOnlyWhenTheUsageChanged) {
    struct Step { int32_t usage; int modifiesSoFar; } steps[] = {
        {0, 0},   // equal to the 0 the tooltip starts from: the start-up text stays
        {5, 1}, {5, 1}, {7, 2}, {0, 3}, {0, 3},
    };
    for (const auto& s : steps) {
        Recorder.usage = s.usage;
        Sample();
        EXPECT_EQ(Recorder.trayModifies, s.modifiesSoFar) << s.usage;
        EXPECT_EQ(TooltipUsage, s.usage);
    }
    EXPECT_EQ(std::strlen(TrayTip), 25u);   // "...：0％]"
}

TEST_F(WaterTest, SampleAfterATipComesWhenItWasDue) {
    for (int call = 0; call < 3; ++call) TipStep(false, nullptr);   // 3 of 7 calls made
    TipStep(true, nullptr);                                           // a click
    while (TipPhase != 0) TipStep(false, nullptr);
    EXPECT_EQ(SampleTick, 3);
    EXPECT_EQ(Recorder.samples, 0);
    for (int call = 0; call < 3; ++call) TipStep(false, nullptr);
    EXPECT_EQ(Recorder.samples, 0);
    TipStep(false, nullptr);
    EXPECT_EQ(Recorder.samples, 1);
}

}  // namespace
