#pragma once
#include "core/peaks/kestrane_peak.h"
#include "core/peaks/noise_statistics.h"
#include "core/peaks/peak_pick_params.h"

// A picked list and the noise level measured on it.
struct PickedPeaks {
    PeakList peaks;
    NoiseStatistics noise;  // all zero when noise thresholding is bypassed
};

// Turns the raw peaks of one MS/MS spectrum (ascending m/z) into the cleaned
// list that is written and scored: centroiding (instruments with uncertain
// charges), precursor removal, noise estimate, de-isotoping, signal-to-noise
// filters, the peak limit and the low-mass cut. `parent` comes from
// makeParentKestranePeak with charge >= 1. Every picked peak carries the M+H
// of a peak of the list given (centroids keep their apex's), which the
// charge decision of survey scans relies on.
PickedPeaks pickPeaks(PeakList list, const KestranePeak& parent, const PeakPickSettings& settings);
