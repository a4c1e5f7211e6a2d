#pragma once
#include <cstdio>

#include "core/peaks/kestrane_peak.h"

// One "\n<m/z>\t<intensity>" line per peak, m/z with two decimals
// (four for writePeaksFourDecimals), intensity without decimals. Return 0.
int writePeaks(const PeakList& list, std::FILE* file);
int writePeaksFourDecimals(const PeakList& list, std::FILE* file);
