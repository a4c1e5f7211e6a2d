#pragma once
// Sums over an m/z window of a spectrum in ascending m/z; the bounds are
// inclusive.
#include "core/peaks/spectrum_points.h"

struct WindowSums {
    double intensity = 0.0;
    double weightedMz = 0.0;  // sum of intensity x m/z
};
WindowSums sumsInWindow(const SpectrumPoints& peaks, double low, double high);
double intensityInWindow(const SpectrumPoints& peaks, double low, double high);
