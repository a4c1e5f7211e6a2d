#include "core/peaks/peak_pick_params.h"

namespace {
PeakPickParams currentParams;
}

PeakPickParams get_PeakPickParams() { return currentParams; }

void set_PeakPickParams(double peakBinningTolerance, std::int32_t minSignalNoiseRatio, std::int32_t peakLimitCount,
                        std::int32_t bypassDeIsotoping, std::int32_t bypassSignalNoiseThresholding) {
    currentParams.peakBinningTolerance = peakBinningTolerance;
    currentParams.minSignalNoiseRatio = minSignalNoiseRatio;
    currentParams.peakLimitCount = peakLimitCount;
    currentParams.bypassDeIsotoping = bypassDeIsotoping;
    currentParams.bypassSignalNoiseThresholding = bypassSignalNoiseThresholding;
}
