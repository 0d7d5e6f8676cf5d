// A paint of the program's own state: the simulation's values, the settings, its generator.
#pragma once
#include "display/paint_plan.h"

PaintInputs CurrentPaintInputs();
PaintPlan PlanCurrentPaint();
