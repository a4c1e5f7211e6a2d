#pragma once
// Survey-scan stages: base peak, m/z order and noise of every MS scan, the
// monoisotopic correction of precursors, and precursor intensities summed
// over the MS scans around each written spectrum.
#include <cstdint>

void preprocessMSscans();
void calculatePrecursorTICs();

// Walks down the isotope cluster of `mz` in MS scan `msScanIndex` to its
// monoisotopic peak; `mz` itself when the scan has nothing better.
double findMonoisotopicParentPeak(double mz, std::int32_t msScanIndex, double tolerance);
// Intensity within mz +/- tolerance summed over the live MS scans whose scan
// numbers lie within `window` of `scanNumber`.
double precursorIntensityInMSscans(double mz, std::int32_t scanNumber, std::int32_t window, double tolerance);
