#include "core/peaks/peak_window.h"

#include <algorithm>

WindowSums sumsInWindow(const SpectrumPoints& peaks, double low, double high) {
    WindowSums sums;
    auto peak = std::lower_bound(peaks.begin(), peaks.end(), low,
                                 [](const SpectrumPoint& p, double value) { return p.mOverZ < value; });
    for (; peak != peaks.end() && peak->mOverZ <= high; ++peak) {
        sums.intensity += peak->intensity;
        sums.weightedMz += peak->intensity * peak->mOverZ;
    }
    return sums;
}

double intensityInWindow(const SpectrumPoints& peaks, double low, double high) {
    return sumsInWindow(peaks, low, high).intensity;
}
