// Test-only stand-ins for the simulation's stream level and random generator, until the
// simulation itself is in this tree; the generator is the program's own rule, so the tests
// give the same answers over either.
#include "sim/sim.h"

int32_t StreamLevel = 0;
uint32_t RandomSeed = 1;

uint32_t NextRandom(uint32_t n) {
    RandomSeed = RandomSeed * 1103515245u + 12345u;
    return (RandomSeed >> 16) % n;
}
