#pragma once
// Runs the exerciser inside real portdeck programs, one after another, for
// the time of the run; 0 when every program passed and ended cleanly.

#include "exerciser.h"

int superviseRealPrograms(const ExerciserOptions &options);
