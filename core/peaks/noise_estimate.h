#pragma once
#include "core/peaks/kestrane_peak.h"
#include "core/peaks/noise_statistics.h"

// Estimates the noise level from the lowest intensity band that holds enough
// of the peaks. Mode 2 measures against the third most intense peak and
// leaves the list in ascending m/z; other modes measure against the most
// intense peak (mode 1 asks for 90% of the peaks in the band, others 65%).
// All zero when that reference is below 1.0.
NoiseStatistics determineMeanNoise(PeakList& list, int mode);
