#pragma once
#include <cstdint>

#include "core/chemistry/amino_acids.h"
#include "core/peaks/kestrane_peak.h"

// Pairs of singly charged fragments whose mPlusH values add up to the
// parent's mPlusH plus m(H) within the parent's tolerance (inclusive); each
// fragment of the upper half pairs at most once. Leaves the list in
// ascending m/z.
std::int32_t countBYpairs(PeakList& list, const KestranePeak& parent, const GroupMasses& masses);

// Pairs whose larger fragment is doubly charged (precursors of charge 3 and
// above); 0 for a singly charged parent. The list must be in ascending m/z.
std::int32_t countChargeReducedPairs(const PeakList& list, const KestranePeak& parent, const GroupMasses& masses);
