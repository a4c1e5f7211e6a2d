#pragma once
// Sums over an m/z window of a spectrum in ascending m/z (a peak list or
// stored points); the bounds are inclusive.
#include <algorithm>

struct WindowSums {
    double intensity = 0.0;
    double weightedMz = 0.0;  // sum of intensity x m/z
};

template <class Peaks>
WindowSums sumsInWindow(const Peaks& peaks, double low, double high) {
    WindowSums sums;
    auto peak = std::lower_bound(peaks.begin(), peaks.end(), low,
                                 [](const auto& p, double value) { return p.mOverZ < value; });
    for (; peak != peaks.end() && peak->mOverZ <= high; ++peak) {
        sums.intensity += peak->intensity;
        sums.weightedMz += peak->intensity * peak->mOverZ;
    }
    return sums;
}

template <class Peaks>
double intensityInWindow(const Peaks& peaks, double low, double high) {
    return sumsInWindow(peaks, low, high).intensity;
}
