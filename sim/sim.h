// The sozu simulation: the random generator, water accumulation and the tipping cycle.
// Portable; what it needs of the platform goes through Platform (base/hooks.h).
#pragma once
#include <cstdint>
#include "base/state.h"

// Water accumulation
extern int32_t CpuUsage;       // last sampled percentage
extern int32_t FillLevel;      // the summed level, 0..100
extern int32_t StreamLevel;    // what the stream shows, 0..100
extern int32_t SampleTick;
extern int32_t FillThrottle;
extern int32_t TooltipUsage;
extern int32_t StreamFalling;
extern uint32_t RandomSeed;

uint32_t NextRandom(uint32_t n);
void SeedRandom(uint32_t seed);
bool FillStep();
// The row of the threshold and chance tables a sensitivity selects: itself from 0 to 5; any
// other value (a hand-edited settings file) takes the default row rather than reading past.
int SensitivityIndex(uint8_t sensitivity);

// Tipping cycle
extern int32_t TipPhase;       // 0 filling, 1..11 the steps of a tip
extern int32_t FrameIndex;     // 0..8, the frame shown and the shape in force
extern int32_t TipCounter;
extern uint8_t ClickTip;

void TipStep(bool startTip, WindowHandle window);
