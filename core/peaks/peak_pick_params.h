#pragma once
// The peak-picking settings: the start-up sets them from the query, the
// instrument block may replace them, peak picking reads them.
#include <cstdint>

#include "core/chemistry/amino_acids.h"

struct PeakPickParams {
    double peakBinningTolerance = 0.0;  // centroiding width (Da); below 0.0001 no centroiding
    std::int32_t minSignalNoiseRatio = 5;
    std::int32_t peakLimitCount = 1000;
    std::int32_t bypassDeIsotoping = 0;
    std::int32_t bypassSignalNoiseThresholding = 0;
};

// Everything peak picking reads: the five settings, the two instrument
// values that change its course and the group masses of the chemistry.
struct PeakPickSettings {
    PeakPickParams params;
    std::int32_t instrumentChargesCertain = 0;  // fragment charges readable from isotope spacing
    double minFragmentMass = 105.0;             // lower m/z bound of fragment peaks
    GroupMasses masses;
};
