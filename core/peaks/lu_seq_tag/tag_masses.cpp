#include "core/peaks/lu_seq_tag/tag_masses.h"

#include <cstddef>

#include "core/chemistry/amino_acids.h"

double mPlusHFromMOverZ(double mz, int z, double carrierMass) {
    if (z < 0) return (-z) * mz + (1 - z) * carrierMass;
    if (z == 0) return mz + carrierMass;
    if (z == 1) return mz;
    return z * mz - (z - 1) * carrierMass;
}

double mPlusHFromMOverZ(double mz, int z, const std::string& formula, MassFunction massFunction) {
    return mPlusHFromMOverZ(mz, z, massFunction(formula));
}

char residueLetterForNominalMass(int nominalMass) {
    const auto& table = nominalResidueTable();
    if (nominalMass < 1 || static_cast<std::size_t>(nominalMass) >= table.size()) return 0;
    return table[static_cast<std::size_t>(nominalMass)];
}
