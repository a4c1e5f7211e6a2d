#pragma once
// Cysteine-modification names from cysteines.tsv, each naming the residue of
// aminoAcids.tsv that a modified cysteine becomes.
#include <string>
#include <utility>
#include <vector>

// Loads the table on first need; a symbol without a residue entry ends the process.
void initialiseCysteineModification();
// (name, residue symbol) in file order.
const std::vector<std::pair<std::string, char>>& cysteineModifications();
// The residue symbol of the first row with exactly this name; none ends the process.
char cysteineModificationSymbol(const std::string& name);
