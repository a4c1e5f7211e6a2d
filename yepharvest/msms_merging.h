#pragma once
// Folds nearby MS/MS spectra of one precursor into the first of them and
// measures each surviving precursor's signal-to-noise in the survey scans.
#include <cstdint>

void mergeNearbyMSMSspectra();

// Best (sum - noise mean) / noise SD of mz +/- tolerance over the MS scans
// that record `index` and its merged group span; never negative. 0 for a
// record that no MS scan precedes.
double parentSignalNoiseInMSscans(double mz, std::int32_t index, double tolerance);
