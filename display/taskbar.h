// Which screen edge the taskbar lies along, from its rectangle.
#pragma once
#include <cstdint>
#include "base/state.h"

enum : uint8_t { TaskbarTop = 0, TaskbarSide = 1, TaskbarBottom = 2 };

// Wider than high is horizontal: bottom when its top is below row 1, else top. A square or
// taller bar stands on the left or right.
uint8_t ClassifyTaskbar(const ScreenRect& bar);
