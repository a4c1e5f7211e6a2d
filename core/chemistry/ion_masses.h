#pragma once
// Conversions from an ion's m/z and charge to its singly protonated mass
// (M+H). They differ on purpose; each caller keeps the variant its results
// have always been computed with.
#include <cstdint>

// Charges take part as doubles: every int32 charge and its neighbours are
// exact there, so the results equal the integer ones and no charge that a
// caller hands in can overflow.

// M+H of an ion carrying z charges of mass `carrierMass` each:
// z mz - (z - 1) carrier. Parent peaks and de-isotoping use it with m(H),
// for every charge they are given.
inline double singlyChargedMass(double mz, std::int32_t z, double carrierMass) {
    return z * mz - (z - 1.0) * carrierMass;
}

// The same for the parent-range filter, which has always counted the proton
// as exactly 1 Da: its bounds are round numbers set by people.
inline double nominalSinglyChargedMass(double mz, std::int32_t z) { return z * mz - (z - 1.0); }

// The sequence tags' conversion, which also reads charge 0 as a neutral
// molecule (mz + carrier) and a negative charge as z carriers taken away:
// z < 0 gives (-z) mz + (1 - z) carrier, z = 0 mz + carrier, z = 1 mz,
// z > 1 z mz - (z - 1) carrier.
inline double mPlusHFromMOverZ(double mz, std::int32_t z, double carrierMass) {
    if (z < 0) return -static_cast<double>(z) * mz + (1.0 - z) * carrierMass;
    if (z == 0) return mz + carrierMass;
    if (z == 1) return mz;
    return singlyChargedMass(mz, z, carrierMass);
}
