#pragma once
// Element masses from elements.txt and masses of formulas such as "C6 H12 O6".
#include <string>

using MassFunction = double (*)(const std::string& formula);

// Monoisotopic mass of a formula; an unknown element ends the process.
double formulaMonoisotopicMass(const std::string& formula);
