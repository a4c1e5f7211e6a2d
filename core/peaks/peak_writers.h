#pragma once
#include <cstdio>
#include <string>

#include "core/peaks/kestrane_peak.h"
#include "core/peaks/spectrum_points.h"

// One "\n<m/z>\t<intensity>" line per peak, the intensity without decimals.
// For an MGF file: m/z with five decimals.
void writeMgfPeakLines(const PeakList& list, std::FILE* file);
void writeMgfPeakLines(const SpectrumPoints& list, std::FILE* file);
// For a .pkl file, appended to `text`: m/z with 2 or 4 decimals.
void appendPeakLines(const PeakList& list, int mzDecimals, std::string& text);
void appendPeakLines(const SpectrumPoints& list, int mzDecimals, std::string& text);
// The number a reader takes from `value` written with `decimals` decimals
// (at most 5) as these lines write it, so that another format can state
// the very values the text does.
double writtenValue(double value, int decimals);
