#pragma once
// Isotope-coded cysteine reagents used as light/heavy mixtures: a cys value
// ending in "-mix" names such a pair, whose partner intensities the front
// ends measure at the pair's mass difference.
#include <string_view>

#include "core/chemistry/amino_acids.h"

// True when the last four characters of `cys` (all of it when shorter) are "-mix".
bool cysIsMixture(std::string_view cys);

// Heavy minus light form of the pair named by `cys`: "ICAT-mix" the
// deuterium 8 shift, "N-ethyl-acetamide-mix" the deuterium 5 shift,
// "leuCAT-mix" the carbon-13 6 shift, "cICAT-mix" the carbon-13 9 shift;
// 0.0 for any other name, so that its partners are measured at the
// precursor itself rather than at an invented mass.
double mixtureMassDifference(std::string_view cys, const GroupMasses& groups);
