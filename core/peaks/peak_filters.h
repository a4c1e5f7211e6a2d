#pragma once
// In-place filters of peak picking, on lists in ascending m/z. Each returns
// the number of peaks left.
#include <cstddef>

#include "core/chemistry/amino_acids.h"
#include "core/peaks/kestrane_peak.h"
#include "core/peaks/noise_statistics.h"

// Charge 1: keeps the peaks below P - m(CO2) - 1.0. Other charges: drops the
// window P - 20/z (integer division) to P + 2.5 and the peaks within 1.5 of
// P - 2 m(H2O)/z.
std::size_t removePeaksNearPrecursor(PeakList& list, const KestranePeak& parent, const GroupMasses& masses);
// Keeps the peaks strictly above k * noise standard deviation + noise mean.
std::size_t removePeaksBelowNoise(PeakList& list, int k, const NoiseStatistics& noise);
// Keeps the `limit` most intense peaks, in ascending m/z.
std::size_t keepMostIntensePeaks(PeakList& list, int limit);
// Keeps the peaks strictly above the instrument's minimum fragment mass and
// leaves the list in ascending m/z.
std::size_t removePeaksBelowMinFragmentMass(PeakList& list, double minFragmentMass);
