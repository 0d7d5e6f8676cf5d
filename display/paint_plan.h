// What one paint draws, decided without the platform: an ordered list of block transfers,
// and the animation state that each paint moves on by one step. Portable.
#pragma once
#include <cstdint>

// One falling drop, in window pixels.
struct DropParticle {
    int32_t Visible;   // 1 when drawn
    int32_t X;
    int32_t Y;
    int32_t Width;     // 2 or 4
    int32_t Height;    // 2 or 3
    int32_t Phase;     // which of the two sprite rows
    int32_t SpriteX;   // 0, 5 or 9 in the meter strip; its mask 11 further right
};

constexpr int DropCount = 6;
extern DropParticle Drops[DropCount];
extern int32_t StreamFlicker;        // shimmer phase, flipped before each use
extern int32_t InstantMeterGap;      // empty rows above the bar of the usage of the moment
extern int32_t CumulativeMeterGap;   // empty rows above the bar of the summed usage

// Where the pixels come from.
enum class PaintSource : uint8_t { Frame, StreamMask, StreamSheet, MeterStrip };

// The three raster operations, with the platform's own values.
constexpr uint32_t RopCopy = 0x00CC0020;    // SRCCOPY
constexpr uint32_t RopAnd = 0x008800C6;     // SRCAND
constexpr uint32_t RopPaint = 0x00EE0086;   // SRCPAINT

struct Blit {
    PaintSource source;
    int32_t srcX, srcY;
    int32_t width, height;
    int32_t dstX, dstY;
    uint32_t rop;
};

// Frame, two for the stream, case and two bars, two for each of six drops.
constexpr int MaxBlits = 1 + 2 + 3 + 2 * DropCount;

struct PaintPlan {
    int32_t frame;   // which of the frame bitmaps PaintSource::Frame means
    int count;
    Blit blits[MaxBlits];
};

// What a paint reads from the rest of the program.
struct PaintInputs {
    int32_t frameIndex;
    int32_t streamLevel;
    int32_t cpuUsage;
    int32_t fillLevel;
    uint8_t instantMeterShown;
    uint8_t cumulativeMeterShown;
    uint8_t meterTint;
    uint8_t dropsEffect;
};

// Draws a number below n; the program's generator in use, a script in tests.
using RandomSource = uint32_t (*)(uint32_t n);

// Geometry of the window's pictures.
constexpr int32_t FrameSide = 48;
constexpr int32_t StreamCellWidth = 18;
constexpr int32_t StreamCellHeight = 48;
constexpr int32_t StreamLeft = 30;
constexpr int32_t MeterRows = 25;
constexpr int32_t MeterLeft = 18;
constexpr int32_t MeterTop = 21;
constexpr int32_t MeterCaseWidth = 6;
constexpr int32_t MeterBandCount = 3;
constexpr uint8_t MeterTintStandard = 2;
constexpr int32_t DropSpriteTop = 75;
constexpr int32_t DropPhaseRows = 4;
constexpr int32_t DropMaskOffset = 11;
constexpr int32_t DropStartY = 8;
constexpr int32_t DropStartX = 37;

// The left column of the stream's width pair: 0 up to 16, then 2 more for each 16 above,
// 10 above 80.
int32_t StreamColumnBase(int32_t streamLevel);

// The strip band a tint selects. Only 0, 1 and 2 name a band; anything else (a hand-edited
// settings file) falls back to the standard band so that no blit reads outside the strip.
int32_t MeterBand(uint8_t meterTint);

// One paint: returns the transfers in drawing order and advances StreamFlicker, the meter
// gaps and the drops, drawing from random in the drops' fixed order.
PaintPlan PlanPaint(const PaintInputs& in, RandomSource random);

// The six drops' starting state, drawing X before Phase for each drop in turn.
void SetUpDrops(RandomSource random);
