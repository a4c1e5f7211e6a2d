#include "core/peaks/lu_seq_tag/tag_masses.h"

#include <cstddef>

#include "core/chemistry/amino_acids.h"

char residueLetterForNominalMass(const ChemistryTables& chemistry, int nominalMass) {
    const auto& table = chemistry.nominalResidues;
    if (nominalMass < 1 || static_cast<std::size_t>(nominalMass) >= table.size()) return 0;
    return table[static_cast<std::size_t>(nominalMass)];
}
