#pragma once
#include <cstdint>

#include "core/peaks/kestrane_peak.h"

// Charge 1, 2 or 3 read from the spacing of two isotope peaks (strict
// bounds), or 0 when the spacing fits none of them or exceeds maxCharge.
std::int32_t chargeFromIsotopeSpacing(double lowerMz, double higherMz, std::int32_t maxCharge);

// 1 when at most two fragments (list in ascending m/z) lie more than 3.0
// above the precursor m/z, otherwise the parent's charge.
std::int32_t chargeFromFragmentsAbovePrecursor(const PeakList& list, const KestranePeak& parent);
