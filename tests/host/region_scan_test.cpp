// The run scan that turns a shape mask into blocks of rectangles.
#include <gtest/gtest.h>
#include <vector>
#include "display/region_scan.h"

// Found by argument lookup from inside the standard algorithms, so outside any namespace.
bool operator==(const RegionRect& a, const RegionRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace {

constexpr int Side = 48;

struct Recorder {
    std::vector<RegionDataBlock> blocks;
    int failAt = -1;   // the flush (0-based) that reports failure
};

bool Record(const RegionDataBlock& block, void* context) {
    auto& r = *static_cast<Recorder*>(context);
    if (static_cast<int>(r.blocks.size()) == r.failAt) return false;
    r.blocks.push_back(block);
    return true;
}

std::vector<RegionRect> AllRects(const Recorder& r) {
    std::vector<RegionRect> rects;
    for (const auto& b : r.blocks) rects.insert(rects.end(), b.rects, b.rects + b.count);
    return rects;
}

std::vector<uint8_t> Outside() { return std::vector<uint8_t>(Side * Side, 1); }

Recorder Scan(const std::vector<uint8_t>& mask, int width = Side, int height = Side,
              int failAt = -1) {
    Recorder r;
    r.failAt = failAt;
    RegionDataBlock block;
    EXPECT_EQ(ScanMaskRuns(mask.data(), width, height, Side, block, Record, &r), failAt < 0);
    return r;
}

void ExpectHeader(const RegionDataBlock& b) {
    EXPECT_EQ(b.headerSize, 32u);
    EXPECT_EQ(b.type, 1u);
    EXPECT_EQ(b.regionSize, 0u);
}

}  // namespace

TEST(RegionScan, RunsInRowOrderWithRightEdgeAndEmptyRows) {
    auto mask = Outside();
    auto set = [&](int y, int x0, int x1) {
        for (int x = x0; x < x1; ++x) mask[y * Side + x] = 0;
    };
    set(2, 45, 48);   // touches the right edge
    set(5, 0, 1);     // a single pixel at the left edge
    set(5, 3, 10);
    set(47, 0, 48);   // a whole row
    // rows 0, 1, 3, 4 and 6..46 stay outside and add nothing
    Recorder r = Scan(mask);
    ASSERT_EQ(r.blocks.size(), 1u);
    ExpectHeader(r.blocks[0]);
    const std::vector<RegionRect> expected = {
        {45, 2, 48, 3}, {0, 5, 1, 6}, {3, 5, 10, 6}, {0, 47, 48, 48}};
    EXPECT_EQ(AllRects(r), expected);
    EXPECT_TRUE((r.blocks[0].bound == RegionRect{0, 2, 48, 48}));
}

TEST(RegionScan, AllOutsideGivesOneEmptyBlock) {
    Recorder r = Scan(Outside());
    ASSERT_EQ(r.blocks.size(), 1u);
    ExpectHeader(r.blocks[0]);
    EXPECT_EQ(r.blocks[0].count, 0u);
    EXPECT_TRUE((r.blocks[0].bound == RegionRect{2147483647, 2147483647, 0, 0}));
}

TEST(RegionScan, ScanStopsAtTheGivenWidthAndHeight) {
    std::vector<uint8_t> mask(Side * Side, 0);
    Recorder r = Scan(mask, 5, 3);
    const std::vector<RegionRect> expected = {{0, 0, 5, 1}, {0, 1, 5, 2}, {0, 2, 5, 3}};
    EXPECT_EQ(AllRects(r), expected);
    EXPECT_EQ(Scan(mask, 0, 48).blocks[0].count, 0u);
    EXPECT_EQ(Scan(mask, -1, -1).blocks[0].count, 0u);
}

// A comb of one-pixel runs: 24 a row, 1152 in all, five full blocks and one of 152.
TEST(RegionScan, MoreThanTwoHundredRunsComeInBlocks) {
    auto mask = Outside();
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; x += 2) mask[y * Side + x] = 0;
    Recorder r = Scan(mask);
    ASSERT_EQ(r.blocks.size(), 6u);
    struct Expect { uint32_t count; RegionRect bound; } expected[] = {
        {200, {0, 0, 47, 9}},     // runs 0..199: rows 0..8
        {200, {0, 8, 47, 17}},    // runs 200..399: row 8 from column 16 to row 16
        {200, {0, 16, 47, 25}},
        {200, {0, 25, 47, 34}},
        {200, {0, 33, 47, 42}},
        {152, {0, 41, 47, 48}},
    };
    for (size_t i = 0; i < r.blocks.size(); ++i) {
        SCOPED_TRACE(i);
        ExpectHeader(r.blocks[i]);
        EXPECT_EQ(r.blocks[i].count, expected[i].count);
        EXPECT_TRUE(r.blocks[i].bound == expected[i].bound);
    }
    const auto rects = AllRects(r);
    ASSERT_EQ(rects.size(), 1152u);
    EXPECT_TRUE((rects[200] == RegionRect{16, 8, 17, 9}));
    EXPECT_TRUE((rects[1151] == RegionRect{46, 47, 47, 48}));
}

TEST(RegionScan, ExactlyTwoHundredRunsEndWithAnEmptyBlock) {
    // 200 rows of one run each, scanned two columns wide.
    std::vector<uint8_t> mask(200 * Side, 1);
    for (int y = 0; y < 200; ++y) mask[y * Side] = 0;
    Recorder r;
    RegionDataBlock block;
    ASSERT_TRUE(ScanMaskRuns(mask.data(), 2, 200, Side, block, Record, &r));
    ASSERT_EQ(r.blocks.size(), 2u);
    EXPECT_EQ(r.blocks[0].count, 200u);
    EXPECT_TRUE((r.blocks[0].bound == RegionRect{0, 0, 1, 200}));
    EXPECT_EQ(r.blocks[1].count, 0u);
}

TEST(RegionScan, FailedFlushStopsTheScan) {
    std::vector<uint8_t> comb(Side * Side, 1);
    for (size_t i = 0; i < comb.size(); i += 2) comb[i] = 0;
    EXPECT_EQ(Scan(comb, Side, Side, 1).blocks.size(), 1u);   // the second of six fails
    EXPECT_EQ(Scan(Outside(), Side, Side, 0).blocks.size(), 0u);
}
