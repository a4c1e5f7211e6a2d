#pragma once
#include <span>

#include "core/peaks/kestrane_peak.h"

// Largest intensity; 0.0 when every peak is exactly 100.0 (or the list is
// empty). Also recorded as the maximum-intensity statistic.
double maxPeakIntensity(const PeakList& list);
// Sum of intensities, also recorded as the total-intensity statistic.
double totalPeakIntensity(const PeakList& list);
// Intensity of the (k+1)-th most intense peak, or 0.0 when the list holds no
// more than k peaks (then nothing is touched). Otherwise records the largest
// intensity as the maximum-intensity statistic and leaves the list in
// ascending m/z.
double nthLargestIntensity(PeakList& list, int k);
// Population mean, standard deviation and variance; all 0 for fewer than two
// values. Returns 0.
int meanAndStandardDeviation(std::span<const double> values, double& mean, double& standardDeviation,
                             double& variance);
