#pragma once
// What the ion-trap stages ask of the survey (MS) scans around an MS/MS
// spectrum: the monoisotopic peak of its precursor, the precursor's
// signal-to-noise and centroid. (Its intensity summed over nearby scans is
// asked by both programs: core/extractor/survey_scans.h.) Every scan's peaks
// are in ascending m/z once the scans have been pre-processed.
#include <cstdint>

#include "yepharvest/ms_scan.h"

// Walks down the isotope cluster of `mz` in MS scan `msScanIndex` to its
// monoisotopic peak, each step needing more than half the intensity of the
// peak before and more than minSignalNoiseRatio x noise SD + noise mean;
// `mz` itself when the scan has nothing better.
double findMonoisotopicParentPeak(const RunTable& run, double mz, std::int32_t msScanIndex, double tolerance,
                                  std::int32_t minSignalNoiseRatio);

// Best (sum - noise mean) / noise SD of mz +/- tolerance over the MS scans
// that record `index` and its merged group span; never negative. 0 for a
// record that no MS scan precedes.
double parentSignalNoiseInMSscans(const RunTable& run, double mz, std::int32_t index, double tolerance);

// Intensity-weighted m/z of the precursor's peaks in MS scan `msScanIndex`
// (the window reaches up to mz + 2 tolerance when the parent was moved to its
// monoisotopic peak, which lies below the cluster); not-a-number when the
// window holds no peak.
double parentCentroidInMSscan(const RunTable& run, double mz, std::int32_t msScanIndex, double tolerance,
                              bool monoisotopicParents);
