#pragma once
#include <string>

#include "core/chemistry/elements.h"

// Singly protonated mass of an ion of m/z `mz` and charge z, with `formula`
// as the charge carrier (massFunction gives its mass b): z < 0 gives
// (-z) mz + (1 - z) b, z = 0 gives mz + b, z = 1 gives mz, z > 1 gives
// z mz - (z - 1) b.
double mPlusHFromMOverZ(double mz, int z, const std::string& formula, MassFunction massFunction);
// The same with the carrier's mass given.
double mPlusHFromMOverZ(double mz, int z, double carrierMass);

// The residue letter whose residue mass truncates to `nominalMass`, or 0
// (also for masses below 1 or from 200 on).
char residueLetterForNominalMass(int nominalMass);
