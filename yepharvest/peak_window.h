#pragma once
// Sums over an m/z window of a peak list in ascending m/z.
#include "yepharvest/ms_scan.h"

// Intensity of the peaks with low <= m/z <= high.
double intensityInWindow(const SpectrumPoints& peaks, double low, double high);

// Sum of intensity and of intensity x m/z over the same window.
struct WindowSums {
    double intensity = 0.0;
    double weightedMz = 0.0;
};
WindowSums sumsInWindow(const SpectrumPoints& peaks, double low, double high);
