#pragma once
#include "core/peaks/kestrane_peak.h"

// Both lists in one, mPlusH set to mOverZ, ascending m/z, then peaks up to
// 0.25 apart binned into the most intense with the summed intensity. The
// inputs are left as they are.
PeakList mergeKestranePeaks(const PeakList& listA, const PeakList& listB);

// The same union, centroided with the given width and height percentage
// instead of binned.
PeakList mergeKestranePeaksByCentroiding(const PeakList& listA, const PeakList& listB, double width,
                                         double heightPercent);
