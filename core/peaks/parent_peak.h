#pragma once
#include <cstdint>

#include "core/chemistry/amino_acids.h"
#include "core/peaks/kestrane_peak.h"

// The synthetic precursor peak: mPlusH = charge * mOverZ - (charge - 1) * m(H),
// intensity 0; `tolerance` is the fragment pairing tolerance (Da).
KestranePeak makeParentKestranePeak(double mOverZ, std::int32_t charge, double tolerance, const GroupMasses& masses);
