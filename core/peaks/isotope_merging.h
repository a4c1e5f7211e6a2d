#pragma once
#include <cstdint>

#include "core/chemistry/amino_acids.h"
#include "core/peaks/kestrane_peak.h"

// Folds each peak into a peak up to 1.5 Th to its left that is more than
// half as intense (the nearest such one), adding its intensity; peaks are
// visited from high to low m/z, so whole isotope ladders collapse. Returns
// the kept peaks in ascending m/z.
PeakList mergeIsotopesByLookingLeft(PeakList list);

// De-isotoping for instruments whose fragment charges can be read from the
// isotope spacing: a peak merges into a partner at or above 300 Th whose
// spacing gives a charge up to the parent's and whose singly protonated mass
// stays below the parent's plus 1.5; the partner takes that charge. Partners
// accept at most two merges below 1000 Th and three below 2500 Th. Unless
// the instrument's charges-certain value is above 1, a peak at or above
// 300 Th that received no isotope is dropped. Returns ascending m/z.
PeakList mergeIsotopesWhileAssigningCharge(PeakList list, const KestranePeak& parent,
                                           std::int32_t instrumentChargesCertain, const GroupMasses& masses);
