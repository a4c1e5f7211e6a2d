#pragma once
// A spectrum as the scan tables keep it. Every peak read from the data (and
// every list merged or centroided from such peaks) has mPlusH equal to its
// m/z and charge 1, so the tables keep m/z and intensity only, 16 bytes a
// peak instead of 40, and the full peak records are rebuilt for the
// operations that need them.
#include <vector>

#include "core/peaks/kestrane_peak.h"

struct SpectrumPoint {
    double mOverZ = 0.0;
    double intensity = 0.0;
};
using SpectrumPoints = std::vector<SpectrumPoint>;

// The peak records of stored points: mPlusH = m/z, charge 1.
PeakList toKestranePeaks(const SpectrumPoints& points);
SpectrumPoints toSpectrumPoints(const PeakList& peaks);
