#pragma once
// The features of one picked MS/MS spectrum, written as one row of the
// spectrum-features file.
#include <cstdint>
#include <string>

struct SpecFeatures {
    double parent_M_plus_H = 0.0;
    std::int32_t parent_charge = 0;
    double parent_m_over_z = 0.0;
    std::int32_t numPeaks = 0;
    std::int32_t numOriginalPeaks = 0;
    std::int32_t callerValue = 0;  // both front ends pass 0
    double maxIntensity = 0.0;
    double parentIntensity = 0.0;
    double ICATlightIntensity = 0.0;
    double ICATheavyIntensity = 0.0;
    double ICATlightIntensity2 = 0.0;
    double ICATheavyIntensity2 = 0.0;
    double totalOriginalIntensity = 0.0;
    double noiseMean = 0.0;
    double noiseStandardDeviation = 0.0;
    double MaxToTotalIntensityRatio = 0.0;
    std::int32_t BYpairs = 0;
    std::int32_t maxSequenceTagLength = 0;
    std::string maxSequenceTag;
};

#include "core/chemistry/amino_acids.h"
#include "core/peaks/kestrane_peak.h"
#include "core/peaks/noise_statistics.h"

// The features of a picked spectrum (ascending m/z; its order is restored
// before returning) and the noise measured when it was picked. `parent`
// carries the precursor m/z, its charge (2 while undetermined) and
// `parentTolerance`; with chargeUnknown set, charges 2 and 3 are both tried
// and the better pair count and longer tag kept. Unless the instrument's
// fragment charges are certain, pairs at charge 3 and above also count
// doubly charged partners.
SpecFeatures calculateSpecFeatures(PeakList& list, std::int32_t numOriginalPeaks, std::int32_t callerValue,
                                   const KestranePeak& parent, std::int32_t chargeUnknown,
                                   const NoiseStatistics& noise, double parentTolerance,
                                   std::int32_t instrumentChargesCertain, const ChemistryTables& chemistry);
