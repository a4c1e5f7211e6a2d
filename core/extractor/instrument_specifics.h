#pragma once
// Per-instrument settings from the instrument's block in instrument.txt:
// which fragment charges can be trusted, the low-mass cut-off of fragments,
// ion-type weights, and the peak-picking parameters the block overrides.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/peaks/peak_pick_params.h"

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
};

// The record before any block is loaded.
InstrumentSpecifics applyInstrumentDefaults();

// An instrument's block applied onto the defaults, and the peak-picking
// settings after it: keys the block does not hold keep `picking`'s values.
struct InstrumentSettings {
    InstrumentSpecifics specifics;
    PeakPickParams picking;
};
// Ends the process when instrument.txt holds no block of that name.
InstrumentSettings initialise_instrument_specifics(const std::string& instrumentName, const PeakPickParams& picking);
