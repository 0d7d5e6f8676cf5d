#include "sim/sim.h"

namespace {
// The classic linear congruential step; every sixteen upper bits of the state are kept.
constexpr uint32_t RandomMultiplier = 1103515245u;
constexpr uint32_t RandomIncrement = 12345u;
constexpr int RandomShift = 16;
}  // namespace

uint32_t RandomSeed = 1;

uint32_t NextRandom(uint32_t n) {
    RandomSeed = RandomSeed * RandomMultiplier + RandomIncrement;
    const uint32_t draw = RandomSeed >> RandomShift;
    // A modulus of 0 reads as 2 to the 32nd (unsigned wrap-around), so the draw comes back
    // unreduced instead of faulting on a division by zero.
    return n == 0 ? draw : draw % n;
}

void SeedRandom(uint32_t seed) { RandomSeed = seed; }
