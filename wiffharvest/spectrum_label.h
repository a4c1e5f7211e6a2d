#pragma once
// The description text of an MS/MS spectrum, "Product (652.34) CE (32):
// Charge (+2)", read for the precursor m/z, the collision energy and the
// precursor charge.
#include <string_view>

#include "wiffharvest/sciex_ms_scan.h"

// Fills selectedParentMz = parentMz, charge (0 to 9; 0 when the label gives
// none, chargePending then 1), collisionEnergy and precursorIntensity 100.0.
// Scan type 9 takes charge 1 in a MALDI run and 0 otherwise, and collision
// energy 0, whatever its label says. A value whose markers are missing, or
// whose text does not read as a number, is 0; empty parentheses give the
// precursor m/z 0.47 and "N/A" 0.
void parseSpectrumLabel(std::string_view label, SciexMSscan& scan, bool isMALDI);
