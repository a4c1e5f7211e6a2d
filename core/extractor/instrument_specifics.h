#pragma once
// Per-instrument settings from the instrument's block in instrument.txt:
// which fragment charges can be trusted, the low-mass cut-off of fragments,
// ion-type weights, and the peak-picking parameters the block overrides.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct InstrumentSpecifics {
    int nh3_loss = 0;    // residue sets (bit codes of the residue letters)
    int h2o_loss = 0;
    int pos_charge = 0;
    std::int32_t instrument_charges_certain = 0;
    double max_internal_ion_mass = 0.0;
    double min_fragment_mass = 0.0;
    std::vector<std::string> activeIonTypes;  // at most 30 names
    double st = 0.0;
    std::map<std::string, double> ionTypeWeights;
    bool defaultsApplied = false;
};

// The defaults; applied once per process, on first use.
void applyInstrumentDefaults();
// Loads the named block; ends the process when there is none.
void initialise_instrument_specifics(const std::string& instrumentName);
const InstrumentSpecifics& instrumentSpecifics();

// Charges of fragment peaks can be trusted (read from isotope spacing).
std::int32_t instrumentChargesCertain();
// Lower m/z bound of fragment peaks kept by peak picking.
double minFragmentMass();

// Test seam: lets the peak-processing tests run under both charge modes.
void overrideInstrumentChargesCertainForTests(std::int32_t value);
