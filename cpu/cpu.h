// The machine's CPU usage as a whole percentage, on both families of Windows.
#pragma once
#include <cstdint>

void DetectOsFamily();
void CheckCpuMonitor();
// Leaves the new percentage in CpuUsage (sim/sim.h).
void SampleCpuUsage();
