#pragma once
// The process-wide peak-picking settings. The start-up and the instrument
// loader set them; peak picking reads them.
#include <cstdint>

struct PeakPickParams {
    double peakBinningTolerance = 0.0;  // centroiding width (Da); below 0.0001 no centroiding
    std::int32_t minSignalNoiseRatio = 5;
    std::int32_t peakLimitCount = 1000;
    std::int32_t bypassDeIsotoping = 0;
    std::int32_t bypassSignalNoiseThresholding = 0;
};

// A copy of the current settings.
PeakPickParams get_PeakPickParams();
void set_PeakPickParams(double peakBinningTolerance, std::int32_t minSignalNoiseRatio, std::int32_t peakLimitCount,
                        std::int32_t bypassDeIsotoping, std::int32_t bypassSignalNoiseThresholding);
