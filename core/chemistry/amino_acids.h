#pragma once
// Residue masses from aminoAcids.tsv with the cysteine modification of
// cysteines.tsv, the nominal-mass residue table read by the sequence tags,
// and the group masses the peak processing uses.
#include <array>
#include <string>
#include <string_view>

#include "core/chemistry/elements.h"

struct GroupMasses {
    double H = 0.0;              // m("H")
    double H2 = 0.0;             // m("H2")
    double H2O = 0.0;            // m("H2 O")
    double CO2 = 0.0;            // m("C O2")
    double chargeCarrier = 0.0;  // the charge-carrier formula, "H"
    double deuterium8Shift = 0.0;  // m("D8") - m("H8")
    double deuterium5Shift = 0.0;  // m("D5") - m("H5")
    double carbon13Shift6 = 0.0;   // m("c6") - m("C6")
    double carbon13Shift9 = 0.0;   // m("c9") - m("C9")
};

// The residues whose masses the tables hold, in bit-code order.
inline constexpr std::string_view kMassResidues = "ACDEFGHIKLMNPQRSTVWXYhkmqstuy";

// What the peak algorithms read of the chemistry: the start-up builds it
// from the parameter files and the extraction context carries it.
struct ChemistryTables {
    GroupMasses groups;
    // Masses of a residue of kMassResidues (and of B and Z); cysteine's are
    // those of its chosen modification. Other symbols give 0.
    std::array<double, 128> residueMasses{};
    std::array<int, 128> nominalMasses{};  // the residue masses truncated toward zero
    // Cell m (0 to 199): the residue letter whose residue mass truncates to m, or 0.
    std::array<char, 200> nominalResidues{};

    double residueMass(char symbol) const;
    int nominalResidueMass(char symbol) const;
};

// Builds every table; ends the process on any fault in the files. The
// start-up passes "H", "O H", "H", the cys parameter, "C2 H3 N1 O1" and
// formulaMonoisotopicMass.
ChemistryTables initialise_amino_acid_weights(const std::string& nTerminusFormula, const std::string& cTerminusFormula,
                                              const std::string& chargeCarrierFormula,
                                              const std::string& cysteineModification,
                                              const std::string& userResidueFormula, MassFunction massFunction);

// OR of the bit codes of the letters ("ACDEFGHIKLMNPQRSTVWXYhkmqstuy", 1 doubling).
int residueSetMask(std::string_view letters);
