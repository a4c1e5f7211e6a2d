#pragma once
#include <cstdio>
#include <string>

#include "core/peaks/kestrane_peak.h"
#include "core/peaks/spectrum_points.h"

// One "\n<m/z>\t<intensity>" line per peak, m/z with two decimals (four for
// writePeaksFourDecimals), intensity without decimals.
void writePeaks(const PeakList& list, std::FILE* file);
void writePeaks(const SpectrumPoints& list, std::FILE* file);
void writePeaksFourDecimals(const PeakList& list, std::FILE* file);
void writePeaksFourDecimals(const SpectrumPoints& list, std::FILE* file);
// The same lines appended to `text`, with 2 or 4 decimals of m/z.
void appendPeakLines(const PeakList& list, int mzDecimals, std::string& text);
void appendPeakLines(const SpectrumPoints& list, int mzDecimals, std::string& text);
