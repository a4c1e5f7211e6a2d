#pragma once
#include <span>

#include "core/peaks/kestrane_peak.h"

// Largest intensity; 0.0 when every peak is exactly 100.0 (or the list is
// empty): such lists carry no intensity information.
double maxPeakIntensity(const PeakList& list);
// Sum of intensities.
double totalPeakIntensity(const PeakList& list);
// Intensity of the (k+1)-th most intense peak, or 0.0 when the list holds no
// more than k peaks (then the list is not touched). Otherwise leaves the
// list in ascending m/z.
double nthLargestIntensity(PeakList& list, int k);

struct MeanAndDeviation {
    double mean = 0.0;
    double standardDeviation = 0.0;
    double variance = 0.0;  // population variance
};
// All 0 for fewer than two values.
MeanAndDeviation meanAndStandardDeviation(std::span<const double> values);
