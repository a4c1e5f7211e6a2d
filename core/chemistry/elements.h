#pragma once
// Element masses from elements.txt and masses of formulas such as "C6 H12 O6".
// A formula is element tokens separated by single spaces; a token is a
// symbol (letters, case-sensitive) with an optional signed count ("C2 H3 N O",
// "H-1"). A token without a count counts 1.
#include <string>
#include <vector>

using MassFunction = double (*)(const std::string& formula);

struct Element {
    std::string symbol;
    int number = 0;  // second column of the file; kept, not used
    std::vector<double> isotopeMasses;  // the monoisotopic one first
    std::vector<double> abundances;
    double monoisotopicMass() const { return isotopeMasses.front(); }
};

// Loads the element table from the parameter directory on first call; any
// fault in the file ends the process.
void initialise_mass_calculations();
// The table in file order (loaded on first use).
const std::vector<Element>& elementTable();
// The monoisotopic mass of each element, in table order.
const std::vector<double>& monoisotopicElementMasses();

// The count of each table element in the formula (table order). A later token
// of an element replaces an earlier one. An unknown element ends the process.
std::vector<int> formula_to_multiplier_list(const std::string& formula);
// Sum of count x mass over the table, `massTable` in table order.
double formula_to_numeric(const std::string& formula, const std::vector<double>& massTable);

// Monoisotopic mass of a formula; an unknown element ends the process.
double formulaMonoisotopicMass(const std::string& formula);

// The atoms of both formulas as one formula: A's elements in A's order with
// B's counts added, then B's remaining elements; every count written out
// ("C2 H5 N1 O2"), elements adding up to zero left out.
std::string addFormulas(const std::string& formulaA, const std::string& formulaB);
