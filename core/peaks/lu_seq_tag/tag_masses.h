#pragma once

// The residue letter whose residue mass truncates to `nominalMass`, or 0
// (also for masses below 1 or from 200 on).
char residueLetterForNominalMass(int nominalMass);
