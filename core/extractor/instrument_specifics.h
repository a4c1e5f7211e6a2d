#pragma once
// Per-instrument settings from the instrument's block in instrument.txt.
#include <cstdint>

// Charges of fragment peaks can be trusted (read from isotope spacing).
std::int32_t instrumentChargesCertain();
// Lower m/z bound of fragment peaks kept by peak picking.
double minFragmentMass();

// Test seam: lets the peak-processing tests run under both charge modes.
void overrideInstrumentChargesCertainForTests(std::int32_t value);
