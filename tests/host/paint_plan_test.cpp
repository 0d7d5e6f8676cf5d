// The paint plan: what each paint draws, and how it moves the shimmer, meters and drops.
#include <gtest/gtest.h>
#include <vector>
#include "display/paint.h"
#include "display/paint_state.h"
#include "base/settings.h"
#include "sim/sim.h"
#include "tests/settings_guard.h"

namespace {

// A scripted generator that records every n it is asked for.
std::vector<uint32_t> Asked;
std::vector<uint32_t> Script;
size_t ScriptPos = 0;

uint32_t Scripted(uint32_t n) {
    Asked.push_back(n);
    const uint32_t v = ScriptPos < Script.size() ? Script[ScriptPos++] : 0;
    return v % n;
}

class PaintPlanTest : public ::testing::Test {
protected:
    void SetUp() override {
        StreamFlicker = 0;
        InstantMeterGap = 0;
        CumulativeMeterGap = 0;
        for (auto& d : Drops) d = {};
        Asked.clear();
        Script.clear();
        ScriptPos = 0;
    }
    static PaintInputs Inputs() {
        PaintInputs in = {};
        in.frameIndex = 4;
        in.streamLevel = 50;
        in.meterTint = 2;
        return in;
    }
    static PaintPlan Paint(const PaintInputs& in) { return PlanPaint(in, Scripted); }
};

void ExpectBlit(const Blit& b, PaintSource source, int32_t sx, int32_t sy, int32_t w,
                int32_t h, int32_t dx, int32_t dy, uint32_t rop) {
    EXPECT_EQ(b.source, source);
    EXPECT_EQ(b.srcX, sx);
    EXPECT_EQ(b.srcY, sy);
    EXPECT_EQ(b.width, w);
    EXPECT_EQ(b.height, h);
    EXPECT_EQ(b.dstX, dx);
    EXPECT_EQ(b.dstY, dy);
    EXPECT_EQ(b.rop, rop);
}

}  // namespace

TEST_F(PaintPlanTest, FrameThenStreamColumnByLevel) {
    struct Case { int32_t level, base; } cases[] = {
        {0, 0}, {16, 0}, {17, 2}, {32, 2}, {33, 4}, {48, 4}, {49, 6},
        {64, 6}, {65, 8}, {80, 8}, {81, 10}, {100, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        StreamFlicker = 1;   // flips to 0: the pair's first column
        PaintInputs in = Inputs();
        in.streamLevel = c.level;
        const PaintPlan plan = Paint(in);
        EXPECT_EQ(StreamColumnBase(c.level), c.base);
        ASSERT_EQ(plan.count, 3);
        EXPECT_EQ(plan.frame, 4);
        ExpectBlit(plan.blits[0], PaintSource::Frame, 0, 0, 48, 48, 0, 0, RopCopy);
        ExpectBlit(plan.blits[1], PaintSource::StreamMask, c.base * 18, 4 * 48, 18, 48, 30, 0,
                   RopAnd);
        ExpectBlit(plan.blits[2], PaintSource::StreamSheet, c.base * 18, 4 * 48, 18, 48, 30, 0,
                   RopPaint);
    }
}

TEST_F(PaintPlanTest, ConsecutivePaintsAlternateTheShimmer) {
    PaintInputs in = Inputs();
    std::vector<int32_t> columns;
    for (int level : {10, 10, 90, 90, 90}) {
        in.streamLevel = level;
        columns.push_back(Paint(in).blits[1].srcX / 18);
    }
    EXPECT_EQ(columns, (std::vector<int32_t>{1, 0, 11, 10, 11}));
}

TEST_F(PaintPlanTest, MeterLayoutByWhichAreShown) {
    struct Bar { int32_t x, width, stripX; };
    struct Case { uint8_t instant, cumulative; std::vector<Bar> bars; } cases[] = {
        {1, 1, {{18, 3, 6}, {21, 3, 9}}},
        {1, 0, {{18, 6, 12}}},
        {0, 1, {{18, 6, 18}}},
        {0, 0, {}},
        {2, 255, {}},   // a switch is on only when it is exactly 1
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.instant) << int(c.cumulative));
        SetUp();
        PaintInputs in = Inputs();
        in.instantMeterShown = c.instant;
        in.cumulativeMeterShown = c.cumulative;
        in.meterTint = 1;
        in.cpuUsage = 100;
        in.fillLevel = 100;
        const PaintPlan plan = Paint(in);
        if (c.bars.empty()) {
            EXPECT_EQ(plan.count, 3);
            continue;
        }
        ASSERT_EQ(plan.count, 4 + static_cast<int>(c.bars.size()));
        ExpectBlit(plan.blits[3], PaintSource::MeterStrip, 0, 25, 6, 25, 18, 21, RopCopy);
        for (size_t i = 0; i < c.bars.size(); ++i) {
            const Bar& b = c.bars[i];
            ExpectBlit(plan.blits[4 + i], PaintSource::MeterStrip, b.stripX, 25, b.width, 25, b.x,
                       21, RopCopy);
        }
    }
}

TEST_F(PaintPlanTest, GapsMoveOneRowAPaintTowardTheirTargets) {
    struct Case { int32_t value, start, target; } cases[] = {
        {100, 25, 0}, {50, 0, 12}, {50, 25, 12}, {0, 0, 25}, {99, 3, 0}, {3, 20, 24},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        SetUp();
        InstantMeterGap = c.start;
        CumulativeMeterGap = c.start;
        PaintInputs in = Inputs();
        in.instantMeterShown = 1;
        in.cumulativeMeterShown = 1;
        in.cpuUsage = c.value;
        in.fillLevel = c.value;
        int32_t gap = c.start;
        for (int paint = 0; paint < 30; ++paint) {
            gap += gap < c.target ? 1 : gap > c.target ? -1 : 0;
            const PaintPlan plan = Paint(in);
            ASSERT_EQ(InstantMeterGap, gap) << paint;
            ASSERT_EQ(CumulativeMeterGap, gap) << paint;
            EXPECT_EQ(plan.blits[4].dstY, 21 + gap);
            EXPECT_EQ(plan.blits[4].height, 25 - gap);
            EXPECT_EQ(plan.blits[5].height, 25 - gap);
        }
        EXPECT_EQ(gap, c.target);
    }
}

TEST_F(PaintPlanTest, HiddenMeterKeepsItsGap) {
    InstantMeterGap = 7;
    CumulativeMeterGap = 9;
    PaintInputs in = Inputs();
    in.instantMeterShown = 1;
    in.cpuUsage = 0;
    in.fillLevel = 0;
    for (int i = 0; i < 5; ++i) Paint(in);
    EXPECT_EQ(InstantMeterGap, 12);
    EXPECT_EQ(CumulativeMeterGap, 9);
    in.instantMeterShown = 0;
    for (int i = 0; i < 5; ++i) Paint(in);
    EXPECT_EQ(InstantMeterGap, 12);
    EXPECT_EQ(CumulativeMeterGap, 9);
}

TEST_F(PaintPlanTest, TintOutsideTheBandsReadsTheStandardBand) {
    PaintInputs in = Inputs();
    in.instantMeterShown = 1;
    for (int tint : {0, 1, 2, 3, 200, 255}) {
        in.meterTint = static_cast<uint8_t>(tint);
        const PaintPlan plan = Paint(in);
        EXPECT_EQ(plan.blits[3].srcY, 25 * (tint <= 2 ? tint : 2)) << tint;
    }
}

// Whatever the inputs, no transfer reads outside its bitmap (the strip is 24 by 83, the
// stream sheets 216 by 432, a frame 48 by 48).
TEST_F(PaintPlanTest, EveryTransferStaysInsideItsSource) {
    for (uint32_t i = 0; i < 60; ++i) Script.push_back(i * 2654435761u >> 7);
    // The extremes too: a CPU sample read from a registry statistic can be any 32-bit value.
    const int32_t values[] = {INT32_MIN, -50, 0, 37, 100, 150, INT32_MAX};
    for (int frame = 0; frame < 9; ++frame)
    for (int32_t value : values)
    for (int tint : {0, 2, 3, 255}) {
        PaintInputs in = {frame, value, value, value, 1, uint8_t(frame & 1), uint8_t(tint), 1};
        for (auto& d : Drops) d.Y = 48;   // every drop restarts, then falls
        for (int paint = 0; paint < 30; ++paint) {
            ScriptPos = 0;
            const PaintPlan plan = Paint(in);
            for (int b = 0; b < plan.count; ++b) {
                const Blit& t = plan.blits[b];
                int32_t w = 48, h = 48;
                if (t.source == PaintSource::MeterStrip) { w = 24; h = 83; }
                if (t.source == PaintSource::StreamMask || t.source == PaintSource::StreamSheet) {
                    w = 216; h = 432;
                }
                ASSERT_GE(t.srcX, 0);
                ASSERT_GE(t.srcY, 0);
                ASSERT_GE(t.width, 0);
                ASSERT_GE(t.height, 0);
                ASSERT_LE(t.srcX + t.width, w) << b;
                ASSERT_LE(t.srcY + t.height, h) << b;
            }
        }
    }
}

TEST_F(PaintPlanTest, RestartingDropsShowByStreamWidth) {
    struct Case { int32_t level, visible; } cases[] = {
        {0, 1}, {16, 1}, {17, 2}, {40, 3}, {60, 4}, {70, 5}, {81, 6}, {100, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        SetUp();
        for (auto& d : Drops) { d.Y = 48; d.Visible = 1 - (&d - Drops) % 2; }
        PaintInputs in = Inputs();
        in.dropsEffect = 1;
        in.streamLevel = c.level;
        Paint(in);
        int visible = 0;
        for (int i = 0; i < DropCount; ++i) {
            EXPECT_EQ(Drops[i].Visible, i < c.visible ? 1 : 0) << i;
            EXPECT_EQ(Drops[i].Y, 8);
            visible += Drops[i].Visible;
        }
        EXPECT_EQ(visible, StreamColumnBase(c.level) / 2 + 1);
    }
}

TEST_F(PaintPlanTest, DropsDrawWhereTheyStandThenFallWithDrawsInOrder) {
    //                  Visible X   Y   W  H  Phase SpriteX
    Drops[0] = {1, 38, 48, 2, 2, 0, 0};   // restarts: X draw (3)
    Drops[1] = {1, 20, 10, 4, 3, 1, 5};   // falls left of 28: Y (3) then X (4)
    Drops[2] = {0, 30, 12, 2, 2, 0, 9};   // falls at 28 or more: Y (3) then X (2)
    Drops[3] = {0, 27, 20, 2, 2, 1, 0};   // left of 28, the X draw is not 0: stays
    Drops[4] = {1, 28, 47, 4, 3, 0, 5};   // at 28, X draw 0: moves left
    Drops[5] = {0, 40, 60, 2, 2, 1, 9};   // restarts
    Script = {2, /*1*/ 0, 0, /*2*/ 2, 1, /*3*/ 1, 3, /*4*/ 1, 0, /*5*/ 1};
    PaintInputs in = Inputs();
    in.dropsEffect = 1;
    in.streamLevel = 100;
    const PaintPlan plan = Paint(in);

    EXPECT_EQ(Asked, (std::vector<uint32_t>{3, 3, 4, 3, 2, 3, 4, 3, 2, 3}));
    ASSERT_EQ(plan.count, 3 + 6);
    ExpectBlit(plan.blits[3], PaintSource::MeterStrip, 11, 75, 2, 2, 38, 48, RopAnd);
    ExpectBlit(plan.blits[4], PaintSource::MeterStrip, 0, 75, 2, 2, 38, 48, RopPaint);
    ExpectBlit(plan.blits[5], PaintSource::MeterStrip, 16, 79, 4, 3, 20, 10, RopAnd);
    ExpectBlit(plan.blits[6], PaintSource::MeterStrip, 5, 79, 4, 3, 20, 10, RopPaint);
    ExpectBlit(plan.blits[7], PaintSource::MeterStrip, 16, 75, 4, 3, 28, 47, RopAnd);
    ExpectBlit(plan.blits[8], PaintSource::MeterStrip, 5, 75, 4, 3, 28, 47, RopPaint);

    struct After { int32_t visible, x, y, phase; } after[] = {
        {1, 39, 8, 1}, {1, 21, 11, 0}, {0, 31, 15, 1},
        {0, 27, 22, 0}, {1, 27, 49, 1}, {1, 38, 8, 0},
    };
    for (int i = 0; i < DropCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Drops[i].Visible, after[i].visible);
        EXPECT_EQ(Drops[i].X, after[i].x);
        EXPECT_EQ(Drops[i].Y, after[i].y);
        EXPECT_EQ(Drops[i].Phase, after[i].phase);
    }
}

TEST_F(PaintPlanTest, DropsStandStillWithTheEffectOff) {
    for (int i = 0; i < DropCount; ++i) Drops[i] = {1, 30 + i, 10 * i, 2, 2, i % 2, 0};
    DropParticle before[DropCount];
    std::copy(Drops, Drops + DropCount, before);
    for (uint8_t effect : {0, 2}) {
        PaintInputs in = Inputs();
        in.dropsEffect = effect;
        EXPECT_EQ(Paint(in).count, 3);
    }
    EXPECT_TRUE(Asked.empty());
    for (int i = 0; i < DropCount; ++i) {
        EXPECT_EQ(Drops[i].X, before[i].X);
        EXPECT_EQ(Drops[i].Y, before[i].Y);
        EXPECT_EQ(Drops[i].Phase, before[i].Phase);
    }
}

TEST_F(PaintPlanTest, SetUpDrawsXBeforePhaseForEachDrop) {
    Script = {0, 1, 1, 0, 2, 1, 0, 0, 1, 1, 2, 0};
    SetUpDrops(Scripted);
    EXPECT_EQ(Asked, (std::vector<uint32_t>{3, 2, 3, 2, 3, 2, 3, 2, 3, 2, 3, 2}));
    //                  Visible X   Y  W  H  Phase SpriteX
    const DropParticle expected[] = {
        {0, 37, 8, 2, 2, 1, 0}, {0, 38, 8, 4, 3, 0, 5}, {0, 39, 8, 2, 2, 1, 9},
        {0, 37, 8, 2, 2, 0, 0}, {0, 38, 8, 4, 3, 1, 5}, {0, 39, 8, 2, 2, 0, 9},
    };
    for (int i = 0; i < DropCount; ++i) {
        SCOPED_TRACE(i);
        const DropParticle& d = Drops[i];
        const DropParticle& e = expected[i];
        EXPECT_EQ(d.Visible, e.Visible);
        EXPECT_EQ(d.X, e.X);
        EXPECT_EQ(d.Y, e.Y);
        EXPECT_EQ(d.Width, e.Width);
        EXPECT_EQ(d.Height, e.Height);
        EXPECT_EQ(d.Phase, e.Phase);
        EXPECT_EQ(d.SpriteX, e.SpriteX);
    }
}

// The program's own wiring: its generator for the drops, its state and settings for a paint.
TEST(PaintState, InitDropsDrawsFromTheProgramsGenerator) {
    SeedRandom(20261207);
    InitDrops();
    SeedRandom(20261207);
    for (int i = 0; i < DropCount; ++i) {
        const int32_t x = 37 + static_cast<int32_t>(NextRandom(3));
        EXPECT_EQ(Drops[i].X, x) << i;
        EXPECT_EQ(Drops[i].Phase, static_cast<int32_t>(NextRandom(2))) << i;
    }
}

TEST(PaintState, PaintReadsTheSimulationAndTheSettings) {
    const AppSettingsGuard settings;
    FrameIndex = 5;
    StreamLevel = 90;
    CpuUsage = 0;
    FillLevel = 100;
    InstantMeterGap = 0;
    CumulativeMeterGap = 0;
    AppSettings.InstantMeterShown = 0;
    AppSettings.CumulativeMeterShown = 1;
    AppSettings.MeterTint = 1;
    AppSettings.DropsEffect = 0;
    const PaintPlan plan = PlanCurrentPaint();
    FrameIndex = 0;
    StreamLevel = 0;
    FillLevel = 0;
    EXPECT_EQ(plan.frame, 5);
    EXPECT_EQ(plan.blits[1].srcY, 5 * 48);
    EXPECT_EQ(plan.blits[1].srcX / 18 / 2, 5);          // the widest pair
    ASSERT_EQ(plan.count, 5);                            // frame, stream, case, one bar
    EXPECT_EQ(plan.blits[4].srcX, 18);                   // the cumulative bar alone
    EXPECT_EQ(plan.blits[4].srcY, 25);
    EXPECT_EQ(CumulativeMeterGap, 0);
}
