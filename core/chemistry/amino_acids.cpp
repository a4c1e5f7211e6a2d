#include "core/chemistry/amino_acids.h"

#include <cmath>
#include <limits>

#include "core/chemistry/amino_acid_table.h"
#include "core/chemistry/cysteine_modifications.h"

namespace {

// Residues that fill the nominal-mass table, later ones overwriting earlier
// ones. I and K stay out, so 113 reads L and 128 reads Q.
constexpr std::string_view kNominalResidues = "ACDEFGHLMNPQRSTVWY";
// Residues whose formulas must load as well (B and Z among them).
constexpr std::string_view kCheckedResidues = "ABCDEFGHIKLMNPQRSTVWXYZkstuy";
// Formulas that later stages evaluate; their elements must be defined.
constexpr std::string_view kCheckedFormulas[] = {"N H3", "C3 H7 N S", "C2 H2 N O", "C2 H3 N O", "O H",
                                                  "C O",  "C O N H3",  "N H",       "N C2 H4",   "N C3 H6",
                                                  "C3 H3 O", "C4 H5 O", "H3 P O4", "S O C H4"};

std::size_t indexOf(char symbol) { return static_cast<unsigned char>(symbol); }

int truncatedMass(double mass) {
    const double whole = std::trunc(mass);
    if (!(whole > std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    if (!(whole < std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    return static_cast<int>(whole);
}

// A residue too heavy (or too light) for the 200 cells has no cell.
char* nominalCell(ChemistryTables& tables, int nominal) {
    auto& table = tables.nominalResidues;
    return nominal >= 0 && nominal < static_cast<int>(table.size()) ? &table[static_cast<std::size_t>(nominal)]
                                                                       : nullptr;
}

// The side-chain columns are checked as the tables are built, so that a
// fault in them ends the process at start-up, as every other column's does.
void checkSideChains(char symbol, MassFunction massFunction) {
    massFunction(sideChainAFormula(symbol));
    massFunction(sideChainBFormula(symbol));
}

void buildResidueTables(ChemistryTables& tables, const std::string& userResidueFormula, MassFunction massFunction) {
    // The user residue u is the formula handed over; every other residue's
    // comes from aminoAcids.tsv.
    const auto formula = [&](char symbol) { return symbol == 'u' ? userResidueFormula : residueFormula(symbol); };
    for (const char symbol : kMassResidues) {
        const std::size_t i = indexOf(symbol);
        tables.residueMasses[i] = massFunction(formula(symbol));
        tables.nominalMasses[i] = truncatedMass(tables.residueMasses[i]);
        checkSideChains(symbol, massFunction);
    }
    for (const char symbol : kNominalResidues) {
        if (char* cell = nominalCell(tables, tables.nominalMasses[indexOf(symbol)])) *cell = symbol;
    }
    for (const char symbol : kCheckedResidues) {
        tables.residueMasses[indexOf(symbol)] = massFunction(formula(symbol));
        aminoAcidEntry(symbol);
    }
}

void applyCysteineModification(ChemistryTables& tables, const std::string& cysteineModification,
                               MassFunction massFunction) {
    const char modified = cysteineModificationSymbol(cysteineModification);
    const std::size_t c = indexOf('C');
    // Only cysteine's own letter is taken out: another residue sharing the
    // cell keeps it.
    if (char* cell = nominalCell(tables, tables.nominalMasses[c]); cell != nullptr && *cell == 'C') *cell = 0;
    tables.residueMasses[c] = massFunction(residueFormula(modified));
    tables.nominalMasses[c] = truncatedMass(tables.residueMasses[c]);
    if (char* cell = nominalCell(tables, tables.nominalMasses[c])) *cell = 'C';
    checkSideChains(modified, massFunction);
}

}  // namespace

ChemistryTables initialise_amino_acid_weights(const std::string& nTerminusFormula, const std::string& cTerminusFormula,
                                              const std::string& chargeCarrierFormula,
                                              const std::string& cysteineModification,
                                              const std::string& userResidueFormula, MassFunction massFunction) {
    ChemistryTables tables;
    buildResidueTables(tables, userResidueFormula, massFunction);

    massFunction(nTerminusFormula);
    massFunction(cTerminusFormula);
    GroupMasses& groups = tables.groups;
    groups.chargeCarrier = massFunction(chargeCarrierFormula);
    groups.H = massFunction("H");
    groups.H2 = massFunction("H2");
    groups.H2O = massFunction("H2 O");
    groups.CO2 = massFunction("C O2");
    groups.deuterium8Shift = massFunction("D8") - massFunction("H8");
    groups.deuterium5Shift = massFunction("D5") - massFunction("H5");
    groups.carbon13Shift6 = massFunction("c6") - massFunction("C6");
    groups.carbon13Shift9 = massFunction("c9") - massFunction("C9");
    for (const std::string_view formula : kCheckedFormulas) massFunction(std::string(formula));

    applyCysteineModification(tables, cysteineModification, massFunction);
    // Every laboratory file must offer acrylamide, whichever modification is chosen.
    cysteineModificationSymbol("acrylamide");
    return tables;
}

int residueSetMask(std::string_view letters) {
    // Each residue's bit is fixed by its position in kMassResidues, so sets
    // can be built before any table is loaded.
    int mask = 0;
    for (const char letter : letters) {
        const std::size_t position = kMassResidues.find(letter);
        if (position != std::string_view::npos) mask |= 1 << position;
    }
    return mask;
}

double ChemistryTables::residueMass(char symbol) const {
    return indexOf(symbol) < residueMasses.size() ? residueMasses[indexOf(symbol)] : 0.0;
}

int ChemistryTables::nominalResidueMass(char symbol) const {
    return indexOf(symbol) < nominalMasses.size() ? nominalMasses[indexOf(symbol)] : 0;
}
