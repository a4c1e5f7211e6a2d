#pragma once
#include <cstdio>

#include "core/peaks/kestrane_peak.h"
#include "core/peaks/spectrum_points.h"

// One "\n<m/z>\t<intensity>" line per peak, m/z with two decimals (four for
// writePeaksFourDecimals), intensity without decimals.
void writePeaks(const PeakList& list, std::FILE* file);
void writePeaks(const SpectrumPoints& list, std::FILE* file);
void writePeaksFourDecimals(const PeakList& list, std::FILE* file);
void writePeaksFourDecimals(const SpectrumPoints& list, std::FILE* file);
