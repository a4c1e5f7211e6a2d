#pragma once
// Residue definitions from aminoAcids.tsv, indexed by the residue symbol, and
// the formulas the mass tables are built from. The symbol u is reserved for
// the user residue formula handed over at start-up.
#include <array>
#include <string>

struct AminoAcid {
    std::string name;
    char symbol = 0;  // 0 marks an empty entry
    std::string formula;
    std::string sideChainA;
    std::string sideChainB;
    double pkCterm = 0.0;  // the pK columns read "n/a" as -98.0
    double pkNterm = 0.0;
    double pkAcidicSideChain = 0.0;
    double pkBasicSideChain = 0.0;
};

// Loads the table on first need; a fault in the file ends the process.
void initialiseAminoAcidsFromFile();
// The entry of a symbol (an empty entry when the file has none).
const AminoAcid& aminoAcidEntry(char symbol);

// The formulas of a residue; a missing or invalid entry ends the process.
// The user residue u has no formula of its own in the file: its side chains
// are "H1" and "0", its formula is handed to the start-up.
std::string residueFormula(char symbol);
std::string sideChainAFormula(char symbol);
std::string sideChainBFormula(char symbol);

// The residue symbol of an AAsymbol field: its first character, which must be
// a 7-bit character other than 0 (the table has 128 entries).
char residueSymbolField(const std::string& field, const std::string& path);
