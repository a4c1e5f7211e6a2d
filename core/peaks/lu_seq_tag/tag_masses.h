#pragma once
#include "core/chemistry/amino_acids.h"

// The residue letter whose residue mass truncates to `nominalMass`, or 0
// (also for masses below 1 or from 200 on).
char residueLetterForNominalMass(const ChemistryTables& chemistry, int nominalMass);
