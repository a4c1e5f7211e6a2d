#pragma once
#include "core/peaks/kestrane_peak.h"

// Collapses runs of neighbouring peaks (ascending m/z) whose gaps are at most
// `tolerance` into their most intense member carrying the run's summed
// intensity. A tolerance below 0.0001 returns the list untouched.
PeakList binPeaksByUserDaTolerance(PeakList list, double tolerance);
